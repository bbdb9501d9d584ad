/* kpllib: the host's general library — pointer lists, memory and object
 * pools, IPv4 address values, environment preferences, model-directory files,
 * directory listing, string splitting.
 *
 * Ownership: every block handed out (list items made by the library, strings,
 * pool objects) is released with kpl_mem_free. Nothing here is synchronised;
 * plug-ins call it from the host's user-interface thread. */
#ifndef KPLLIB_H
#define KPLLIB_H

#include <stddef.h>
#include <stdint.h>

#include "qovlib.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef int KplT_Compcode; /* 1 success, 0 failure */
#define KPLC_COMPCODE_SUCCESS 1
#define KPLC_COMPCODE_FAILURE 0

/* ---- lists ----------------------------------------------------------------
 * Positions count from 0; -1 names the tail (insert appends, access/remove
 * take the last element) and -2 the head. */
#define KPLC_LISTPOS_TAIL (-1)
#define KPLC_LISTPOS_HEAD (-2)

QovT_Ll_Desc* kpl_list_create(void);
/* Initialises a descriptor in caller storage to the empty list. */
void kpl_list_init(QovT_Ll_Desc* list);
/* Returns 1, or 0 for a null list or a position outside -2..size. */
int kpl_list_insert(QovT_Ll_Desc* list, void* item, int position);
/* The host's order convention: compare(a, b) gives a positive number when a
 * sorts before b, a negative one when after, 0 when equal. The item goes in
 * before the first element e with compare(item, e) > 0, so equal elements
 * keep their insertion order. */
typedef int (*KplT_List_Compare_Proc)(const void* item, const void* element);
int kpl_list_insert_sorted(QovT_Ll_Desc* list, void* item, KplT_List_Compare_Proc compare);
/* The item at position (it stays in the list); null when out of range. */
void* kpl_list_access(const QovT_Ll_Desc* list, int position);
/* Takes the item at position out of the list; null when out of range. */
void* kpl_list_remove(QovT_Ll_Desc* list, int position);
int kpl_list_size(const QovT_Ll_Desc* list);
/* Releases the list's cells, leaving an empty list whose descriptor may be
 * reused or released with kpl_mem_free. Items are not touched. */
void kpl_list_free(QovT_Ll_Desc* list);
/* Releases a list made by kpl_list_create; free_items 1 also releases every
 * item with kpl_mem_free. */
void kpl_list_destroy(QovT_Ll_Desc* list, int free_items);

/* ---- memory and pools ---------------------------------------------------- */
/* kpl_mem_alloc returns 16-byte aligned storage, kpl_pmo_alloc 8-byte
 * aligned storage (enough for pointers, integers and doubles); both give
 * null when memory is exhausted. */
void* kpl_mem_alloc(size_t size);
/* Releases a block from kpl_mem_alloc or an object from kpl_pmo_alloc;
 * null is ignored. */
void kpl_mem_free(void* block);

typedef struct KplS_Pmo* KplT_Pmo_Handle;
/* A pool of objects of object_size bytes, carved block_count at a time.
 * Pools live until the process ends; defining the same name, size and block
 * count again gives the same pool (a plug-in loaded twice reuses its pools).
 * Null for a null name or a block count below 1. */
KplT_Pmo_Handle kpl_pmo_define(const char* name, size_t object_size, int block_count);
void* kpl_pmo_alloc(KplT_Pmo_Handle pool);
/* Objects of the pool currently handed out (for leak checks). */
int kpl_pmo_live_count(KplT_Pmo_Handle pool);

/* ---- IPv4 addresses ------------------------------------------------------ */
typedef struct KplT_IP_Address {
    uint32_t value; /* first octet most significant */
    uint32_t mask;
} KplT_IP_Address;

/* Size of a dotted-quad text buffer, terminator included. */
#define KPLC_IP_ADDRESS_TEXT_SIZE 16

/* Parses "a.b.c.d" with a dotted mask text ("255.255.0.0"), or "a.b.c.d/len"
 * with a null or empty mask text. An address without any mask gets
 * 255.255.255.255. Returns 1; returns 0 and leaves *out alone for anything
 * malformed: octets above 255, missing or extra parts, blanks, a
 * non-contiguous mask, a prefix length above 32, both forms of mask. */
int kpl_ip_address_parse(const char* address_text, const char* mask_text, KplT_IP_Address* out);
uint32_t kpl_ip_address_value_get(KplT_IP_Address address);
uint32_t kpl_ip_address_mask_get(KplT_IP_Address address);
/* Count of leading one bits of mask. */
int kpl_ip_address_mask_prefix_length_compute(uint32_t mask);
/* Writes the dotted text of value into buffer (KPLC_IP_ADDRESS_TEXT_SIZE
 * bytes). */
void kpl_ip_address_value_to_string(uint32_t value, char* buffer);
/* Writes address and mask texts; either buffer may be null. */
void kpl_ip_address_format(KplT_IP_Address address, char* address_buffer, char* mask_buffer);
KplT_IP_Address kpl_ip_address_value_set(KplT_IP_Address address, uint32_t value);
KplT_IP_Address kpl_ip_address_mask_set(KplT_IP_Address address, uint32_t mask);
/* Non-zero when value and mask are both equal. */
int kpl_ip_address_equal(KplT_IP_Address a, KplT_IP_Address b);
/* Non-zero when the two networks share an address: their values agree on
 * the bits of the shorter of the two masks. */
int kpl_ip_address_subnets_overlap(KplT_IP_Address a, KplT_IP_Address b);

/* ---- environment preferences ------------------------------------------------
 * Preferences are named lists of texts ("mod_dirs": the model directories).
 * The host program loads them from and saves them to a preferences file. */
/* Appends copies of the values of name to values (strings released with
 * kpl_mem_free). scope 1 is the only scope. Returns 1, or 0 when unknown. */
int kpl_env_attr_value_get(int scope, const char* name, QovT_Ll_Desc* values);
/* Replaces the values of name with copies of the strings in values. Returns
 * 1; 0, changing nothing, for a name or value that would not read back the
 * same from the file (an empty name, a name starting with '#' or holding ':',
 * surrounding blanks, line breaks) or a null string in values. */
int kpl_env_attr_value_set(const char* name, const QovT_Ll_Desc* values);
/* Preferences file: one "name: value" line per value, '#' comments, blank
 * lines ignored. Loading replaces the values of each name the file holds and
 * keeps the others; a malformed line is reported on stderr with its line
 * number and nothing is loaded. Saving writes a temporary file and renames
 * it over path; a name without values is not written. Both return 1, or 0
 * when the file cannot be read or written. */
int kpl_env_load(const char* path);
int kpl_env_save(const char* path);

/* ---- files ----------------------------------------------------------------
 * File types name the suffix of their files in the model directories. */
#define KPLC_TFILE_MODEL 0          /* ".json": models of this host */
#define KPLC_TFILE_ROUTING_EXPORT 5 /* ".atv.xml": exported routing tables */
#define KPLC_TFILE_PROBE_MODEL 21   /* ".prb": probe models (ygalib.h) */
/* The suffix of a file type without its dot ("atv.xml"); null when unknown. */
const char* kpl_tfile_suffix(int file_type);
/* Finds "<name>.<file_type>" in the model directories ("mod_dirs", in order)
 * and writes its full path into buffer (size bytes). Returns 1; 0, leaving
 * buffer empty, when not found or when the path does not fit. */
int kpl_tfile_path_get(const char* name, int file_type, char* buffer, size_t size);
/* New list of the names (suffix ".<file_type>" removed) of every such file
 * in the model directories, sorted, without duplicates. */
QovT_Ll_Desc* kpl_tfile_name_list_get(int file_type);
/* New list of the entry names of a directory, sorted, "." and ".." left out;
 * null when it cannot be read. */
QovT_Ll_Desc* kpl_dir_contents(const char* path);
int kpl_path_name_is_dir(const char* path);
/* New list of the non-empty pieces of text between any of the separator
 * characters; null for a null text or separators. */
QovT_Ll_Desc* kpl_str_decomp(const char* text, const char* separators);

#ifdef __cplusplus
}
#endif

#endif /* KPLLIB_H */
