// kvbridge-bench: its Windows side (bench_win.cpp, Wine's headers) and Linux side (bench_host.cpp).
#pragma once

// Windows side: the bench plug-in's ufsta, and its loop of n NX calls (the sum of the tags).
void* bench_ufsta();
long long bench_plugin_calls(int n);

// Linux side: the benchmark, with the arguments as UTF-8.
int bench_main(int argc, char** argv);
