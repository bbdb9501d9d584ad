/* qovlib: the host's system library — pointer lists (type only; operated on
 * through kpllib), text lists, per-thread trace frames.
 *
 * Threads: lists and text lists are not synchronised; each belongs to one
 * thread at a time. Trace frames are per thread. */
#ifndef QOVLIB_H
#define QOVLIB_H

#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A list of untyped pointers. Kept as a ring buffer so that appending at the
 * tail, draining at the head and indexed access are all O(1). The layout is
 * public only so that a descriptor can live in caller storage
 * (kpl_list_init); touch it only through the kpl_list_* operations. */
typedef struct QovT_Ll_Desc {
    void** cells;
    int head;     /* index in cells of element 0 */
    int count;
    int capacity;
} QovT_Ll_Desc;

/* ---- text lists ---------------------------------------------------------- */
typedef struct QovS_Textlist QovT_Textlist;

QovT_Textlist* Qov_Textlist_Create(void);
/* Appends a copy of line at position (-1 = tail, -2 = head, else index
 * 0..count). Returns 1, or 0 for a null list or line or a bad position. */
int Qov_Textlist_Append(QovT_Textlist* list, const char* line, int position);
int Qov_Textlist_Count(const QovT_Textlist* list);
/* The line at index, owned by the list; null when out of range. */
const char* Qov_Textlist_Line_Get(const QovT_Textlist* list, int index);
void Qov_Textlist_Destroy(QovT_Textlist* list);

/* ---- trace frames -------------------------------------------------------- */
/* Fixed depth of the recorded frame stack; deeper frames are counted but not
 * recorded, so a runaway recursion cannot write past the stack. */
#define QOVC_FSTACK_MAX_DEPTH 256

typedef struct QovT_Fstack_Static_Info {
    const char* label; /* the function's signature text, static storage */
} QovT_Fstack_Static_Info;

typedef struct QovT_Thread_Local_Data {
    int depth; /* frames currently open (may exceed QOVC_FSTACK_MAX_DEPTH) */
    const QovT_Fstack_Static_Info* frames[QOVC_FSTACK_MAX_DEPTH];
    int lines[QOVC_FSTACK_MAX_DEPTH];
} QovT_Thread_Local_Data;

/* The thread-data slot. POSIX has no per-module TLS callbacks, so the slot is
 * a pthread key whose destructor frees a thread's data when it exits; a
 * process that never starts a second thread may use the single-thread
 * pointer instead (the switch is QovS_Mt_Multiple_Threads). */
extern int QovS_Mt_Multiple_Threads;
extern unsigned int QovS_Thread_Data_Key; /* a pthread_key_t */
extern QovT_Thread_Local_Data* QovS_Single_Thread_Local_Data_Ptr;

/* Called, when set, with every frame opened and the depth it opens at: the
 * stand-in host's frame recorder (xeq_host.h) sets it for tests. */
typedef void (*QovT_Fstack_Open_Hook)(const QovT_Fstack_Static_Info* info, int depth);
extern QovT_Fstack_Open_Hook QovS_Fstack_Open_Hook;

/* The calling thread's data, created on first use. Never null. */
QovT_Thread_Local_Data* Qov_Thread_Data_Get(void);
/* Frames currently open on the calling thread. */
int Qov_Fstack_Depth(void);
/* Prints the calling thread's open frames, innermost first. */
void Qov_Fstack_Print(FILE* out);

#ifdef __cplusplus
} /* extern "C" */

/* A frame opened on construction and closed on destruction, so every exit
 * path closes it. Costs one thread-data fetch, a store and two increments. */
class QovT_Fstack_Local_Info {
public:
    QovT_Fstack_Local_Info(const QovT_Fstack_Static_Info* info, int line,
                           QovT_Thread_Local_Data* data) noexcept
        : data_(data) {
        const int d = data_->depth++;
        if (d < QOVC_FSTACK_MAX_DEPTH) {
            data_->frames[d] = info;
            data_->lines[d] = line;
        }
        if (QovS_Fstack_Open_Hook != nullptr) [[unlikely]]
            QovS_Fstack_Open_Hook(info, d);
    }
    ~QovT_Fstack_Local_Info() { --data_->depth; }
    QovT_Fstack_Local_Info(const QovT_Fstack_Local_Info&) = delete;
    QovT_Fstack_Local_Info& operator=(const QovT_Fstack_Local_Info&) = delete;

private:
    QovT_Thread_Local_Data* data_;
};

#define QOV_FRAME_CAT2(a, b) a##b
#define QOV_FRAME_CAT(a, b) QOV_FRAME_CAT2(a, b)
/* Opens a trace frame for the rest of the enclosing scope. */
#define QOV_FRAME(label_text)                                                   \
    static const QovT_Fstack_Static_Info QOV_FRAME_CAT(qov_fs_info_, __LINE__) = \
        {label_text};                                                           \
    QovT_Fstack_Local_Info QOV_FRAME_CAT(qov_fs_local_, __LINE__)(              \
        &QOV_FRAME_CAT(qov_fs_info_, __LINE__), __LINE__, Qov_Thread_Data_Get())
#endif /* __cplusplus */

#endif /* QOVLIB_H */
