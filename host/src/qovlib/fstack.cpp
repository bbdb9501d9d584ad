// Per-thread trace frames. The frame constructor runs on entry of every
// traced plug-in function, so fetching the thread's data is kept to one
// pthread_getspecific call (an indexed load in glibc) once the data exists.
#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <type_traits>
#include <vector>

#include "qovlib.h"
#include "xeq_host.h"

// The exported slot is declared unsigned int so that the header needs no
// <pthread.h>; that is only sound while the two types agree.
static_assert(std::is_same_v<pthread_key_t, unsigned int>);

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "qovlib: %s\n", what);
    std::abort();
}

QovT_Thread_Local_Data* new_thread_data() {
    // calloc: depth 0 and no frames; the record is plain data freed with free.
    auto* data = static_cast<QovT_Thread_Local_Data*>(std::calloc(1, sizeof(QovT_Thread_Local_Data)));
    if (data == nullptr) fail("out of memory for the trace frame stack");
    return data;
}

void free_thread_data(void* data) { std::free(data); }

// Created while the library loads, before any plug-in can open a frame, so
// the hot path needs no once-check.
unsigned int create_thread_data_key() {
    pthread_key_t key;
    if (pthread_key_create(&key, free_thread_data) != 0) fail("cannot create the thread data key");
    return key;
}

[[gnu::noinline]] QovT_Thread_Local_Data* attach_thread_data() {
    QovT_Thread_Local_Data* data = new_thread_data();
    if (pthread_setspecific(QovS_Thread_Data_Key, data) != 0) {
        std::free(data);
        fail("cannot attach the trace frame stack to this thread");
    }
    return data;
}

// The frame recorder of the host's control surface; only tests start it.
struct OpenedFrame {
    const QovT_Fstack_Static_Info* info;
    int depth;
};

struct FrameRecord {
    std::mutex lock;
    std::vector<OpenedFrame> frames;
};

FrameRecord& frame_record() {
    static auto* record = new FrameRecord; // outlives other libraries' clean-up
    return *record;
}

void record_frame(const QovT_Fstack_Static_Info* info, int depth) {
    FrameRecord& record = frame_record();
    const std::lock_guard<std::mutex> hold(record.lock);
    record.frames.push_back({info, depth});
}

} // namespace

extern "C" {

QovT_Fstack_Open_Hook QovS_Fstack_Open_Hook = nullptr;

void Xeq_Host_Fstack_Record_Start(void) {
    FrameRecord& record = frame_record();
    {
        const std::lock_guard<std::mutex> hold(record.lock);
        record.frames.clear();
    }
    QovS_Fstack_Open_Hook = record_frame;
}

void Xeq_Host_Fstack_Record_Stop(void) { QovS_Fstack_Open_Hook = nullptr; }

int Xeq_Host_Fstack_Record_Count(void) {
    FrameRecord& record = frame_record();
    const std::lock_guard<std::mutex> hold(record.lock);
    return static_cast<int>(record.frames.size());
}

const char* Xeq_Host_Fstack_Record_Get(int index, int* depth) {
    FrameRecord& record = frame_record();
    const std::lock_guard<std::mutex> hold(record.lock);
    if (index < 0 || static_cast<size_t>(index) >= record.frames.size()) return nullptr;
    if (depth != nullptr) *depth = record.frames[static_cast<size_t>(index)].depth;
    const QovT_Fstack_Static_Info* info = record.frames[static_cast<size_t>(index)].info;
    return info == nullptr ? nullptr : info->label;
}

int QovS_Mt_Multiple_Threads = 1;
unsigned int QovS_Thread_Data_Key = create_thread_data_key();
QovT_Thread_Local_Data* QovS_Single_Thread_Local_Data_Ptr = nullptr;

QovT_Thread_Local_Data* Qov_Thread_Data_Get(void) {
    if (QovS_Mt_Multiple_Threads) [[likely]] {
        void* data = pthread_getspecific(QovS_Thread_Data_Key);
        if (data != nullptr) [[likely]]
            return static_cast<QovT_Thread_Local_Data*>(data);
        return attach_thread_data();
    }
    if (QovS_Single_Thread_Local_Data_Ptr == nullptr) [[unlikely]]
        QovS_Single_Thread_Local_Data_Ptr = new_thread_data();
    return QovS_Single_Thread_Local_Data_Ptr;
}

int Qov_Fstack_Depth(void) { return Qov_Thread_Data_Get()->depth; }

void Qov_Fstack_Print(FILE* out) {
    if (out == nullptr) return;
    const QovT_Thread_Local_Data* data = Qov_Thread_Data_Get();
    if (data->depth <= 0) {
        std::fputs("Trace frames: none open\n", out);
        return;
    }
    std::fprintf(out, "Trace frames (%d open, innermost first):\n", data->depth);
    if (data->depth > QOVC_FSTACK_MAX_DEPTH)
        std::fprintf(out, "  ... %d deeper frames not recorded\n", data->depth - QOVC_FSTACK_MAX_DEPTH);
    const int recorded = data->depth < QOVC_FSTACK_MAX_DEPTH ? data->depth : QOVC_FSTACK_MAX_DEPTH;
    for (int i = recorded - 1; i >= 0; --i) {
        const QovT_Fstack_Static_Info* info = data->frames[i];
        const char* label = info != nullptr && info->label != nullptr ? info->label : "(unlabelled)";
        std::fprintf(out, "  #%d %s, line %d\n", i, label, data->lines[i]);
    }
}

} // extern "C"
