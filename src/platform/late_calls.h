/* NX's calls that the plug-in finds at run time (nx.h, "calls found at run time"): NX exports
 * them from one library in some releases and from the other in the rest. Each wrapper calls NX's
 * own when this release exports it and does without it otherwise. */
#ifndef KELVORA_LATE_CALLS_H
#define KELVORA_LATE_CALLS_H

/* UF_DISP_regenerate_display: its result, or -1 (nothing done) when neither library exports it. */
int late_regenerate_display(void);

#endif
