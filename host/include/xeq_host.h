/* The stand-in host's own control surface: what the host program and the
 * tests use to open, save and close models and to see what plug-ins showed
 * the user. Plug-ins never call these. */
#ifndef XEQ_HOST_H
#define XEQ_HOST_H

#include <stddef.h>

#include "xeqed.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Loads a model file whole. On any error returns null and writes one line
 * naming the place (file, object, attribute path) into error; nothing of a
 * failed load is kept. The format is described in host/MODEL_FORMAT.md. */
XeqT_Model_Handle Xeq_Host_Model_Load(const char* path, char* error, size_t error_size);
/* The same from text in memory; source names it in errors. */
XeqT_Model_Handle Xeq_Host_Model_Parse(const char* text, const char* source, char* error,
                                       size_t error_size);
/* An empty model. */
XeqT_Model_Handle Xeq_Host_Model_New(const char* name);
/* Writes the model whole to path (through a temporary file renamed into
 * place, so a failed save leaves the old file). Returns 1, or 0 with error. */
int Xeq_Host_Model_Save(XeqT_Model_Handle model, const char* path, char* error, size_t error_size);
/* The model in its file form; the text stays valid until the next call for
 * any model. */
const char* Xeq_Host_Model_Text_Get(XeqT_Model_Handle model);
/* Destroys the model's client states through their handlers, then the
 * model. The current model becomes none when it was this one. */
void Xeq_Host_Model_Close(XeqT_Model_Handle model);
/* The model the plug-ins see as being edited (Xeq_Model_Current_Get). */
void Xeq_Host_Model_Current_Set(XeqT_Model_Handle model);
/* The path the model was loaded from or saved to; "" when none. */
const char* Xeq_Host_Model_Path_Get(XeqT_Model_Handle model);

/* Every object of the model (all types), in model order. */
int Xeq_Host_Model_Object_Count(XeqT_Model_Handle model);
XeqT_Obj_Handle Xeq_Host_Model_Object_Get(XeqT_Model_Handle model, int index);

/* What the editor draws of an object. Position: 1 and the place when the
 * node or subnet has one, else 0. Link ends: the node at end 0 or 1 of a
 * link, or 0. Selected: non-zero for a selected object. */
int Xeq_Host_Obj_Position_Get(XeqT_Obj_Handle obj, int* x, int* y);
XeqT_Obj_Handle Xeq_Host_Link_End_Get(XeqT_Obj_Handle link, int end);
int Xeq_Host_Obj_Selected_Get(XeqT_Obj_Handle obj);
/* The ends of a placed demand. Returns 1, or 0 for an invalid handle or a
 * demand that was not placed. */
int Xeq_Host_Demand_Ends_Get(XeqT_Obj_Handle demand, XeqT_Obj_Handle* source,
                             XeqT_Obj_Handle* destination);

/* Event log: every message, confirmation and progress-bar step, as one line
 * each ("warning: ...", "info: ...", "confirm: ...", "progress start: <text>
 * (<total>)", "progress advance: <step>", "progress end"). */
int Xeq_Host_Event_Count(void);
const char* Xeq_Host_Event_Get(int index);
void Xeq_Host_Events_Clear(void);
/* Appends an event line; vyqlib uses it for messages. */
void Xeq_Host_Event_Add(const char* line);
/* 1: also show events on standard error (the default); 0: record only. */
void Xeq_Host_Echo_Set(int on);
int Xeq_Host_Echo_Get(void);
/* The answer Xeq_Msg_Confirm gives (1 yes, the default; 0 no). */
void Xeq_Host_Confirm_Answer_Set(int answer);
int Xeq_Host_Confirm_Answer_Get(void);

/* Memory running out, for tests: after `successes` more successful calls
 * of kpl_mem_alloc and kpl_pmo_alloc (counted together), every further call
 * gives null as when memory is exhausted, until the next call of this; a
 * negative count turns the failing off (the default). */
void Xeq_Host_Alloc_Fail_After(int successes);
/* Calls refused since the last Xeq_Host_Alloc_Fail_After. */
int Xeq_Host_Alloc_Failures(void);

/* Trace frames, for tests: from Xeq_Host_Fstack_Record_Start on, every
 * frame opened on any thread is recorded (its label and the depth it opened
 * at) until Xeq_Host_Fstack_Record_Stop; a start forgets the frames recorded
 * before. */
void Xeq_Host_Fstack_Record_Start(void);
void Xeq_Host_Fstack_Record_Stop(void);
int Xeq_Host_Fstack_Record_Count(void);
/* The label of recorded frame index (null when out of range) and, when
 * depth is not null, the depth it opened at. */
const char* Xeq_Host_Fstack_Record_Get(int index, int* depth);

#ifdef __cplusplus
}
#endif

#endif /* XEQ_HOST_H */
