/* The smarttag library's C interface, for C programs and any language with a
 * foreign-function interface. It is a thin layer over the C++ interface in
 * smarttag.h: the same tags, offsets, limits and thread safety.
 *
 *   smarttag_tagger* tagger;
 *   char* json;
 *   if (smarttag_tagger_create(NULL, 0, NULL, &tagger) != SMARTTAG_OK) { puts(smarttag_last_error()); ... }
 *   if (smarttag_find_json(tagger, text, strlen(text), &json) == SMARTTAG_OK) { puts(json); smarttag_free(json); }
 *   smarttag_tagger_free(tagger);
 *
 * Text is UTF-8 and passed with its length in bytes (it need not end in NUL;
 * a NUL byte within the length makes a document invalid). Every string the
 * library hands out is NUL-terminated, allocated by it and given back with
 * smarttag_free; the handle is given back with smarttag_tagger_free. Both
 * accept NULL.
 *
 * Errors. Each function but the free functions and smarttag_version returns a
 * status; on anything but SMARTTAG_OK the out-parameters are left NULL and
 * smarttag_last_error() gives a message for the failed call. The message is
 * kept per thread until that thread's next failing call. No C++ exception
 * leaves these functions.
 *
 * Thread safety. A tagger is immutable: any number of threads may call
 * the find functions on one tagger at once. Freeing it while another thread
 * uses it is the caller's error.
 */
#ifndef SMARTTAG_SMARTTAG_C_H
#define SMARTTAG_SMARTTAG_C_H

#include <stddef.h>

#include "smarttag/export.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum smarttag_status {
    SMARTTAG_OK = 0,
    SMARTTAG_ERROR_ARGUMENT = 1,  /* a NULL where a value is needed, or unusable options */
    SMARTTAG_ERROR_DOCUMENT = 2,  /* the text is not UTF-8 (bad byte, NUL, UTF-16 byte-order mark) */
    SMARTTAG_ERROR_TOO_LONG = 3,  /* the document is longer than the library's limit (512 MiB) */
    SMARTTAG_ERROR_MEMORY = 4,    /* memory ran out */
    SMARTTAG_ERROR_INTERNAL = 5   /* anything else; the message says what */
} smarttag_status;

typedef struct smarttag_tagger smarttag_tagger;

/* "MAJOR.MINOR.PATCH"; a static string. */
SMARTTAG_API const char* smarttag_version(void);

/* The message of this thread's last failed call (at most 511 bytes of UTF-8);
 * "" when none failed. The text stays until the thread's next failing call. */
SMARTTAG_API const char* smarttag_last_error(void);

/* Builds a tagger. `sectors` is an array of `sector_count` NUL-terminated
 * market-sector words, or NULL for the default ones (Equity Corp Bond Fund
 * Index Currency Commodity); `prefix` is the tag-name prefix, or NULL for the
 * default "urn:veltra:smarttags#". */
SMARTTAG_API smarttag_status smarttag_tagger_create(const char* const* sectors, size_t sector_count,
                                                    const char* prefix, smarttag_tagger** out);
SMARTTAG_API void smarttag_tagger_free(smarttag_tagger* tagger);

/* Every tag the add-in would commit for the document, as a JSON array in
 * document order. Each element:
 *   {"type": "Citation", "name": "<prefix>Citation", "text": "410 U.S. 113",
 *    "byteStart": 4, "byteLength": 12, "charStart": 4, "charLength": 12,
 *    "paragraph": 1, "utf16Start": 5, "utf16Length": 12,
 *    "properties": [["Citation", "410 us 113"], ...]}
 * Offsets are those of smarttag.h: UTF-8 bytes and code points from the start
 * of the document, and the recognizer's 1-based UTF-16 start and length within
 * the paragraph. */
SMARTTAG_API smarttag_status smarttag_find_json(const smarttag_tagger* tagger, const char* document, size_t length,
                                                char** json);

/* The citations among those tags, as a JSON array of
 *   {"text": "410 U.S. 113", "byteStart": 4, ... "utf16Length": 12,
 *    "canonical": "410 us 113", "category": "USReport",
 *    "volume": "410", "reporter": "us", "page": "113"}
 * with the span fields of smarttag_find_json; volume, reporter and page are ""
 * when the canonical form is not volume, reporter words and page. */
SMARTTAG_API smarttag_status smarttag_find_citations_json(const smarttag_tagger* tagger, const char* document,
                                                          size_t length, char** json);

/* The securities among those tags, as a JSON array of
 *   {"text": "IBM US Equity", "byteStart": ..., "sector": "Equity", "security": "IBM US Equity"}. */
SMARTTAG_API smarttag_status smarttag_find_securities_json(const smarttag_tagger* tagger, const char* document,
                                                           size_t length, char** json);

/* Normalizes one candidate citation (UTF-8). On SMARTTAG_OK, *accepted is 1
 * when the normalizer accepts it, else 0; *citation is the canonical form (or
 * the cleaned-up text) and *category the category ("" when none), both to be
 * freed with smarttag_free. `category` may be NULL when not wanted. Text that
 * is not UTF-8 is not an error: its bad bytes count as U+FFFD. (A NUL byte in
 * the text is kept, so the cleaned-up text of a refused candidate may end at
 * it.) */
SMARTTAG_API smarttag_status smarttag_normalize(const char* text, size_t length, int* accepted, char** citation,
                                                char** category);

/* Gives back a string the library handed out. */
SMARTTAG_API void smarttag_free(char* text);

#ifdef __cplusplus
}
#endif

#endif /* SMARTTAG_SMARTTAG_C_H */
