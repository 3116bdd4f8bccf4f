/* Electrode stock: the blanks a shop keeps ("AxBxL" in mm, a comma list in the settings) and
 * the choice of the blank each electrode is cut from. Plain arithmetic: no NX call. */
#ifndef KELVORA_JOB_SHEET_STOCK_H
#define KELVORA_JOB_SHEET_STOCK_H

#include <stddef.h>

/* Blanks kept from one stock list; further items are ignored. */
#define KV_STOCK_MAX 64
/* Text of a size "AxBxL" (three numbers of at most three decimals each). */
#define KV_SIZE_TEXT_SIZE 64

/* A blank: its cross-section a by b and its length l, in mm. */
typedef struct job_blank_s {
    double a, b, l;
} job_blank;

typedef struct job_stock_list_s {
    job_blank blanks[KV_STOCK_MAX];
    int       count;
    int       cut;    /* 1 when well-formed items of the list were left out (the user is told) */
} job_stock_list;

/* The blank an electrode is cut from. */
typedef struct job_stock_choice_s {
    int    index;    /* into the stock list; -1 when no blank fits */
    int    turned;   /* 1 when the electrode's length lies along the blank's b */
    double need[3];  /* the smallest a, b, l that would do */
} job_stock_choice;

/* One item "AxBxL" ('x' or 'X', three positive finite numbers, nothing else) into blank.
 * 0; -1 for anything else (blank cleared). */
int parse_blank(const char *item, job_blank *blank);

/* The well-formed items of a comma list into list, cleared first, in the list's order;
 * malformed items are skipped, and those beyond KV_STOCK_MAX left out (cut set). The number of
 * blanks kept. */
int parse_stock_list(const char *text, job_stock_list *list);

/* The blank for an electrode box of size (length, width, height, mm): a blank fits when
 * a >= length + 2 clearance and b >= width + 2 clearance (or the two swapped: turned), and
 * l >= height + clamp. The smallest by volume wins; ties go to the shorter, then the first
 * listed. 0 and the choice; -1 when none fits (index -1, need filled); -2 when an argument is
 * missing (choice cleared, index -1). */
int choose_stock(const job_stock_list *list, const double size[3], double clearance, double clamp,
                 job_stock_choice *choice);

/* "AxBxL" of three sizes, each with up to three decimals and no trailing zeros, into text
 * (size bytes). 0; -1 when it does not fit (text then empty). */
int format_size(const double v[3], char *text, size_t size);

#endif
