/* xeqed: the host editor's plug-in interface — models, objects, attributes
 * addressed by path text, topology, client state, progress bar.
 *
 * Handles are small values. An object handle stays valid while its object
 * lives; a handle to a destroyed object (or a shrunk-away row) is detected
 * and every operation on it fails, so a stale handle never reaches freed
 * memory.
 *
 * Attribute paths: levels joined by "."; a level may carry a row index in
 * brackets, with or without one blank before it ("BGP Parameters [0]",
 * "IP Routing Parameters[0]"); a compound level without an index means row 0
 * when the path goes deeper; a final ".count" after a compound gives its row
 * count. Malformed paths (empty levels, unclosed or non-numeric brackets,
 * text after a bracket) simply fail. */
#ifndef XEQED_H
#define XEQED_H

#include <stddef.h>
#include <stdint.h>

#include "kpllib.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Release marker; every plug-in imports it (see xeq_plugin.h). */
extern const int This_File_Was_Compiled_With_XEQ_Release_90A;

typedef uint64_t XeqT_Obj_Handle;       /* 0: no object */
typedef struct XeqS_Model* XeqT_Model_Handle;
typedef struct XeqS_Obj_List* XeqT_Obj_List;
typedef int XeqT_Obj_Type;

/* Object type codes. */
#define XEQC_OBJ_SUBNET 10
#define XEQC_OBJ_NODE 11
#define XEQC_OBJ_LINK 14
#define XEQC_OBJ_PATH 18
#define XEQC_OBJ_DEMAND 20
#define XEQC_OBJ_COMPOUND_ATTR 29 /* a compound attribute; its children are rows */
#define XEQC_OBJ_ATTR_ROW 30
/* Classes of objects, for Xeq_Topo_Object_Count_Get/Xeq_Topo_Object_Get
 * only: every node whatever its model, every subnet. No object has them as
 * its type. */
#define XEQC_OBJC_NODES 4
#define XEQC_OBJC_SUBNETS 2

/* Buffer sizes of the untyped text forms below (terminator included). */
#define XEQC_ATTR_TEXT_SIZE 512
#define XEQC_SYMBOL_SIZE 256
#define XEQC_MODEL_NAME_SIZE 256

/* ---- models ----------------------------------------------------------------
 * which: 0 the model being edited; 1 the model whose file location is
 * wanted (the same model in this host). */
XeqT_Model_Handle Xeq_Model_Current_Get(int which);
/* Writes the model's name into buffer (size bytes, cut to fit). Returns 1,
 * or 0 for no model. The short form (C only) assumes XEQC_MODEL_NAME_SIZE. */
int Xeq_Model_Name_Get_N(XeqT_Model_Handle model, char* buffer, size_t size);

/* ---- client state ----------------------------------------------------------
 * A plug-in registers four handlers under a label; the host keeps one object
 * per model and label, calls destroy with it when the model closes, and
 * calls copy_create when a model is copied. read/write receive the host's
 * block handle of the model file; state kept only in memory ignores it. */
typedef void* (*XeqT_Client_State_Copy_Create_Proc)(void* orig_state_ptr);
typedef void (*XeqT_Client_State_Destroy_Proc)(void* state_ptr);
typedef void* (*XeqT_Client_State_Read_Proc)(void* block_hndl);
typedef int (*XeqT_Client_State_Write_Proc)(void* state_ptr, void* block_hndl);

/* Returns the state's id (>= 0), or -1 for a null label; registering a label
 * again replaces its handlers and keeps its id. */
int Xeq_Client_State_Handlers_Register(const char* label,
                                       XeqT_Client_State_Copy_Create_Proc copy_create,
                                       XeqT_Client_State_Destroy_Proc destroy,
                                       XeqT_Client_State_Read_Proc read,
                                       XeqT_Client_State_Write_Proc write);
/* The id of a registered label, or -1. */
int Xeq_Client_State_By_Name_Get(const char* label);
/* The object kept with the model under id, or null. */
void* Xeq_Model_Network_State_Access(XeqT_Model_Handle model, int id);
/* Keeps state_ptr with the model under id; a previously kept object is
 * destroyed through the destroy handler first. Returns 1, or 0 for a bad
 * model or id. */
int Xeq_Model_Network_State_Set(XeqT_Model_Handle model, int id, void* state_ptr);

/* ---- objects ---------------------------------------------------------------- */
/* Non-zero when the handle designates no live object. */
int Xeq_Obj_Invalid(XeqT_Obj_Handle obj);
/* A new object of type in the current model, named "top.object_<n>" until
 * its "name" attribute is set; 0 when there is no current model. */
XeqT_Obj_Handle Xeq_Obj_Create(XeqT_Obj_Type type);
/* The object's type, or -1 for an invalid handle. */
XeqT_Obj_Type Xeq_Obj_Type_Get(XeqT_Obj_Handle obj);
/* The hierarchical name ("top.campus.r1"), owned by the object; "" for an
 * invalid handle. Rows and compound attributes are named after their owner
 * and path ("top.r1.BGP Parameters [0]"). flags: 0. */
const char* Xeq_Obj_Hname_Get(XeqT_Obj_Handle obj, int flags);
/* The model's object with that hierarchical name, or 0. */
XeqT_Obj_Handle Xeq_Obj_From_Hname_Get(XeqT_Model_Handle model, const char* hname);
/* The model's top object ("top", a subnet that every object lies in); it is
 * not listed among the model's objects nor saved. 0 for a bad model. */
XeqT_Obj_Handle Xeq_Topo_Top_Get(XeqT_Model_Handle model);
/* Places obj directly under parent: its hierarchical name becomes the
 * parent's name, ".", and its "name" attribute (its last level when it has
 * none). Returns 1; 0 for invalid handles, a parent of another model, or
 * when another object already has that name. */
int Xeq_Obj_Install(XeqT_Obj_Handle obj, XeqT_Obj_Handle parent);

/* ---- the editor's view of objects ----------------------------------------------
 * Kept per object and model for the user interface, never saved. */
/* The user-interface status of an object: 0 as loaded; 1 an object a
 * plug-in made that the user sees in the model; 6 a drawn path the user
 * sees highlighted. Other values are kept as given. Returns 1, or 0. */
int Xeq_Obj_UI_Status_Set(XeqT_Obj_Handle obj, int status);
int Xeq_Obj_UI_Status_Get(XeqT_Obj_Handle obj);
/* Selects (1) or deselects (0) an object. Returns 1, or 0. */
int Xeq_Obj_Selected_Status_Set(XeqT_Obj_Handle obj, int selected);
/* Appends the model's selected objects, in model order, to list; returns
 * the count appended. */
int Xeq_Model_Selected_List_Get(XeqT_Model_Handle model, XeqT_Obj_List list);
/* Makes obj the object the model's view is zoomed to. Returns 1, or 0. */
int Xeq_Obj_Zoom_To(XeqT_Obj_Handle obj);
/* The object the model's view is zoomed to, or 0. */
XeqT_Obj_Handle Xeq_Model_Zoom_Target_Get(XeqT_Model_Handle model);

/* ---- attributes ------------------------------------------------------------ */
typedef enum XeqT_Value_Kind {
    XEQC_VALUE_ANY = 0, /* as the attribute holds it (see Xeq_Obj_Attr_Get) */
    XEQC_VALUE_INT,     /* int */
    XEQC_VALUE_DOUBLE,  /* double */
    XEQC_VALUE_TEXT,    /* char buffer of out_size bytes / const char* */
    XEQC_VALUE_OBJ      /* XeqT_Obj_Handle: a compound attribute or a row */
} XeqT_Value_Kind;

/* Reads the attribute at path as kind into out (out_size bytes for text:
 * longer texts are cut to fit). Numbers convert between int and double
 * (a double reads as int only when it is whole), texts convert to numbers
 * only when they are entirely numeric, toggles read as 0/1, any scalar reads
 * as text. A compound reads as its object, a row path ("X [2]") as the row.
 * Returns 1, or 0 when the path does not resolve or the value cannot be
 * represented as kind; out is untouched on failure. */
int Xeq_Obj_Attr_Value_Get(XeqT_Obj_Handle obj, const char* path, XeqT_Value_Kind kind,
                           void* out, size_t out_size);
#ifndef __cplusplus
/* Untyped read: an integer or toggle into an int, a double into a double,
 * text into a buffer of XEQC_ATTR_TEXT_SIZE bytes, a compound or row into an
 * XeqT_Obj_Handle. C only: C++ callers get typed overloads below, and any
 * other pointer (a char*, a bool*) is refused at compile time, since the
 * host would write up to XEQC_ATTR_TEXT_SIZE bytes through it. */
int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, void* out);
#endif

/* Writes value (int*, double*, const char* or XeqT_Obj_Handle*, as kind
 * says) to the attribute at path, converting to the attribute's kind as the
 * read does. A compound object replaces the rows of the compound at path
 * by copies of its own (a missing one is created; its own object leaves it
 * as it is). A missing
 * last level is created in its (existing) row with the kind of the value;
 * ".count" resizes a compound (new rows are copies of its row template,
 * rows beyond the new count are destroyed) and creates an empty compound
 * when missing. Returns 1, or 0 when the path does not resolve or the value
 * does not convert. */
int Xeq_Obj_Attr_Value_Set(XeqT_Obj_Handle obj, const char* path, XeqT_Value_Kind kind,
                           const void* value);
/* C form: reads one argument as the existing attribute's kind dictates (int
 * for integers, toggles and ".count", double for doubles, const char* for
 * texts, XeqT_Obj_Handle for compounds); fails for a missing attribute. C++ callers get typed overloads. */
int Xeq_Obj_Attr_Set(XeqT_Obj_Handle obj, const char* path, ...);
/* 1 when the attribute (or row, or ".count" of a compound) exists. */
int Xeq_Obj_Attr_Exists(XeqT_Obj_Handle obj, const char* path);
/* The symbol the attribute currently holds, into buffer (XEQC_SYMBOL_SIZE
 * bytes for the short form): the declared symbol whose value matches; for a
 * compound the one whose row count matches, else "None" when it has no
 * rows. Returns 1 only then: 0 for a plain value, a compound whose rows
 * match no symbol, a ".count" path or a missing attribute, so that callers
 * can tell a symbol from a value. */
int Xeq_Obj_Attr_Symbol_Get_N(XeqT_Obj_Handle obj, const char* path, char* buffer, size_t size);
/* Sets the attribute to the value of symbol: a declared symbol's value;
 * "None" on a compound removes its rows; otherwise a text attribute takes
 * the symbol as its text and a number its numeric reading. A missing last
 * level is created (an empty compound for "None", else a text). */
int Xeq_Obj_Attr_Symbol_Set(XeqT_Obj_Handle obj, const char* path, const char* symbol);
/* Copies the source attribute (kind, value, symbols, rows) into the target
 * attribute, creating it when its row exists. Returns 1, or 0 when the
 * source is missing or the target does not resolve. */
int Xeq_Obj_Attr_Set_From_Obj_Attr(XeqT_Obj_Handle target, const char* target_path,
                                   XeqT_Obj_Handle source, const char* source_path);

#ifndef __cplusplus
/* Short forms with implied buffer sizes. C++ sees only the overloads at the
 * end, which take the caller's array size, so an undersized buffer cannot
 * be overrun from C++. */
int Xeq_Model_Name_Get(XeqT_Model_Handle model, char* buffer);           /* XEQC_MODEL_NAME_SIZE */
int Xeq_Obj_Attr_Symbol_Get(XeqT_Obj_Handle obj, const char* path, char* buffer); /* XEQC_SYMBOL_SIZE */
int Rule_Nt_Obj_Hierarchical_Name_Get(XeqT_Obj_Handle obj, char* buffer); /* XEQC_MODEL_NAME_SIZE */
/* Text form of any scalar attribute. */
int Xeq_Obj_Attr_Get_As_String(XeqT_Obj_Handle obj, const char* path, char* buffer); /* XEQC_ATTR_TEXT_SIZE */
int Xeq_Obj_Attr_Desc_Nth_Get(XeqT_Obj_Handle obj, int index, char* buffer); /* XEQC_ATTR_NAME_SIZE */
#endif

/* ---- object lists and topology --------------------------------------------- */
XeqT_Obj_List Xeq_Obj_List_Create(void);
void Xeq_Obj_List_Destroy(XeqT_Obj_List list);
/* position: -1 tail, -2 head, else 0..size. Returns 1, or 0. */
int Xeq_Obj_List_Insert(XeqT_Obj_List list, XeqT_Obj_Handle obj, int position);
int Xeq_Obj_List_Size(XeqT_Obj_List list);
/* The object at index, or 0. */
XeqT_Obj_Handle Xeq_Obj_List_Object_Get(XeqT_Obj_List list, int index);

/* Objects of a type (or class) in the model, in model order. */
int Xeq_Topo_Object_Count_Get(XeqT_Model_Handle model, XeqT_Obj_Type type);
XeqT_Obj_Handle Xeq_Topo_Object_Get(XeqT_Model_Handle model, XeqT_Obj_Type type, int index);
/* Appends the children of obj of type to list: the rows (type 30) of a
 * compound attribute; the objects of a subnet. Returns the count appended. */
int Xeq_Topo_Child_List_Get(XeqT_Obj_Handle obj, XeqT_Obj_Type type, XeqT_Obj_List list);

/* ---- links, ports and paths ------------------------------------------------------
 * A link joins two nodes through one port each: the port of one interface
 * of the node (host/MODEL_FORMAT.md). */
typedef struct RuleS_Nt_Port RuleT_Nt_Port;
typedef struct RuleS_Nt_Interface RuleT_Nt_Interface;

/* Non-zero when both handles designate the same live object. */
int Xeq_Obj_Equal(XeqT_Obj_Handle a, XeqT_Obj_Handle b);
/* How a and b are connected, by kind: XEQC_TOPO_CONNECT_LINKS counts the
 * links joining them (either way round). 0 for any other kind or invalid
 * handles. */
#define XEQC_TOPO_CONNECT_LINKS 4
int Xeq_Topo_Connect_Count_Get(XeqT_Obj_Handle a, XeqT_Obj_Handle b, int kind);
/* The interface's port, owned by the interface entry (valid while it is);
 * null for a null entry. */
const RuleT_Nt_Port* Rule_Nt_Interface_Port_Get(const RuleT_Nt_Interface* intf);
/* A copy of port in a host block (kpl_mem_free releases it); null for null. */
RuleT_Nt_Port* Rule_Nt_Port_Copy(const RuleT_Nt_Port* port);
/* The link the port receives on (the link one of whose ends is the port),
 * or 0 when it carries none. */
XeqT_Obj_Handle Rule_Nt_Port_Receive_Link_Get(const RuleT_Nt_Port* port);
/* The object's hierarchical name into buffer (size bytes, cut to fit).
 * Returns 1, or 0 for an invalid handle (buffer emptied). The short form
 * (C only) assumes XEQC_MODEL_NAME_SIZE. */
int Rule_Nt_Obj_Hierarchical_Name_Get_N(XeqT_Obj_Handle obj, char* buffer, size_t size);

/* Connects a path object (type 18) through the objects of list, in order:
 * nodes, with at most one link between two of them, and that link joining
 * them; at least two nodes. Returns 1; 0, leaving the path as it was, when
 * the list does not make such a route. */
int Xeq_Obj_Path_Install_Connect(XeqT_Obj_Handle path, XeqT_Obj_List list);
/* The objects a path runs through, appended to list; the count appended. */
int Xeq_Obj_Path_Route_Get(XeqT_Obj_Handle path, XeqT_Obj_List list);
/* Drawing of the model holds still between lock and unlock (calls nest),
 * so that many changes show as one. */
void Xeq_Model_Draw_Lock(XeqT_Model_Handle model);
void Xeq_Model_Draw_Unlock(XeqT_Model_Handle model);
/* Non-zero while the model's drawing is locked. */
int Xeq_Model_Draw_Locked(XeqT_Model_Handle model);

/* ---- compound objects, demands, attribute catalogue -------------------------
 * A compound read with Xeq_Obj_Attr_Get is the attribute's own object,
 * borrowed: writes through it change the attribute, and releasing it with
 * Xeq_Obj_Destroy leaves the attribute as it is. */

/* Row index of a compound attribute object (child kind 0), or 0. */
XeqT_Obj_Handle Xeq_Topo_Child_Get(XeqT_Obj_Handle obj, int kind, int index);
/* Destroys a model object (node, link, path, demand, ...) and takes it out
 * of its model; destroying a node also destroys the links and demands that
 * end at it. Returns 1, or 0 for an invalid handle or for a compound or row, which
 * belong to their attribute and stay. */
int Xeq_Obj_Destroy(XeqT_Obj_Handle obj);
/* Places *demand, a demand object of model, between the nodes source and
 * destination (two different nodes of that model); the ends are saved with
 * the model ("ends" in host/MODEL_FORMAT.md). On failure *demand becomes 0,
 * and a demand object that was not placed is destroyed, so that no demand
 * without ends stays in the model. Returns 1, or 0. */
int Xeq_Obj_Demand_Install(XeqT_Obj_Handle source, XeqT_Obj_Handle destination,
                           XeqT_Model_Handle model, XeqT_Obj_Handle* demand);

/* Attribute type codes of Xeq_Obj_Attr_Type_Get, by the attribute's kind. */
#define XEQC_ATTR_TYPE_INTEGER 0    /* an integer without symbols */
#define XEQC_ATTR_TYPE_DOUBLE 1     /* a double, with or without symbols */
#define XEQC_ATTR_TYPE_TEXT 2       /* a text, with or without symbols */
#define XEQC_ATTR_TYPE_TOGGLE 3     /* an on/off toggle */
#define XEQC_ATTR_TYPE_OBJECT_REF 4 /* a reference to another object: this
                                     * host stores none, no attribute has it */
#define XEQC_ATTR_TYPE_COMPOUND 5   /* a compound attribute (rows) */
#define XEQC_ATTR_TYPE_CODE32 6     /* an integer with declared symbols: an
                                     * enumerated 32-bit value */

/* Buffer size of the short form of Xeq_Obj_Attr_Desc_Nth_Get. */
#define XEQC_ATTR_NAME_SIZE 256

/* Appends the names of obj's attributes, in order, to list: each a host
 * block released with kpl_mem_free. Returns the count appended, 0 for an
 * invalid handle or a null list. */
int Xeq_Obj_Attr_Names_Get(XeqT_Obj_Handle obj, QovT_Ll_Desc* list);
/* The type code (XEQC_ATTR_TYPE_*) of the attribute at name (a path), or -1
 * when it does not exist. */
int Xeq_Obj_Attr_Type_Get(XeqT_Obj_Handle obj, const char* name);
/* The number of obj's attributes; 0 for an invalid handle. */
int Xeq_Obj_Attr_Count_Get(XeqT_Obj_Handle obj);
/* Copies the name of attribute index (from 0) into buffer. Returns 1, or 0
 * for no such attribute or a name that does not fit: a name is never cut,
 * as a cut one could name another attribute. */
int Xeq_Obj_Attr_Desc_Nth_Get_N(XeqT_Obj_Handle obj, int index, char* buffer, size_t size);

/* ---- overlay icons ------------------------------------------------------------
 * A small icon the editor draws over an object (a node marked by an
 * analysis). Names are those of the editor's icons ("R", "O", "selection",
 * ...); the empty name removes the overlay. */
/* Returns 1, or 0 for an invalid handle or a null name. */
int Xeq_Nt_Object_Overlay_Icon_Name_Set(XeqT_Obj_Handle obj, const char* icon_name);
/* The object's overlay icon name into buffer (size bytes, cut to fit); ""
 * when it has none. Returns 1, or 0 for an invalid handle. */
int Xeq_Nt_Object_Overlay_Icon_Name_Get(XeqT_Obj_Handle obj, char* buffer, size_t size);

/* ---- progress bar ------------------------------------------------------------ */
void Xeq_Progress_Bar_Start(const char* text, int total);
void Xeq_Progress_Bar_Advance(int step);
void Xeq_Progress_Bar_End(void);

/* ---- device interfaces -------------------------------------------------------
 * A node's IP interfaces as the routing layer sees them: the rows of
 * "IP Routing Parameters [0].Interface Information" (physical interfaces)
 * and "IP Routing Parameters [0].Loopback Interfaces", each with "Name",
 * "Address", "Subnet Mask" and optionally "Secondary Address Information"
 * rows (host/MODEL_FORMAT.md). */
typedef struct RuleS_Nt_Interface RuleT_Nt_Interface;

/* Flags of Rule_Nt_Device_Interface_List_Generate; the editor's usual
 * request, 359, selects every addressed physical and loopback interface.
 * Other bits name interface kinds this host does not model and are ignored. */
#define RULEC_NT_INTF_PHYSICAL 0x001
#define RULEC_NT_INTF_LOOPBACK 0x002
#define RULEC_NT_INTF_ADDRESSED 0x020 /* only interfaces whose address parses */
/* The entries' addresses carry the host mask 255.255.255.255 instead of
 * the subnet mask: what an interface is asked for when it is compared with
 * a single address, such as a next hop (flags 257 = physical, host mask). */
#define RULEC_NT_INTF_HOST_ADDRESS 0x100

/* Appends one entry (a RuleT_Nt_Interface*) per selected interface of node
 * to list: physical interfaces first, then loopbacks, each in row order.
 * Entries are host blocks released with kpl_mem_free, so
 * kpl_list_destroy(list, 1) disposes of them. Returns the count appended; 0
 * for an invalid handle, an object that is not a node, or a null list; -1,
 * appending nothing, when memory runs out. */
int Rule_Nt_Device_Interface_List_Generate(XeqT_Obj_Handle node, int flags, QovT_Ll_Desc* list);
/* The interface's "Address" with its "Subnet Mask" (a missing or malformed
 * mask gives 255.255.255.255, or the mask of an "a.b.c.d/len" address);
 * 0.0.0.0 with mask 0.0.0.0 when the address is missing or malformed, the
 * entry is null or its interface is gone. */
KplT_IP_Address Rule_Nt_Interface_IP_Address_Get(const RuleT_Nt_Interface* intf);
/* Reads an attribute of the interface as Xeq_Obj_Attr_Value_Get does. The
 * path's first level names the parameter group, "IP Routing Parameters";
 * the rest is read from the interface's own row ("IP Routing
 * Parameters.Name", "IP Routing Parameters.Secondary Address Information"
 * gives the compound whose rows Xeq_Topo_Child_List_Get lists with type 30).
 * Any other group fails. */
int Rule_Nt_Interface_Attr_Value_Get(const RuleT_Nt_Interface* intf, const char* path,
                                     XeqT_Value_Kind kind, void* out, size_t out_size);
#ifndef __cplusplus
/* Untyped read with the conventions of Xeq_Obj_Attr_Get (C only, as it). */
int Rule_Nt_Interface_Attr_Get(const RuleT_Nt_Interface* intf, const char* path, void* out);
#endif
#ifndef __cplusplus
/* Text form of any scalar attribute of the interface (C++: overload below). */
int Rule_Nt_Interface_Attr_Get_As_String(const RuleT_Nt_Interface* intf, const char* path,
                                         char* buffer); /* XEQC_ATTR_TEXT_SIZE */
#endif

/* ---- built-in editor commands -------------------------------------------------
 * Runs one of the editor's own commands by name: "rehash_dirs" rescans the
 * model directories so that files written meanwhile are seen. Every command
 * run is recorded in the host's event log ("command: rehash_dirs").
 * Returns 1, or 0 for a command the editor does not have. */
int Xeq_Command_Builtin_Exec(const char* command);

#ifdef __cplusplus
} /* extern "C" */
#endif

#include "xeqed_gui.h"

#ifdef __cplusplus
/* Typed, bounded overloads under the interface's own names: a char array
 * passes its size, numbers and handles pass their kind. */
inline int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, int* out) {
    return Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_INT, out, sizeof *out);
}
inline int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, double* out) {
    return Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_DOUBLE, out, sizeof *out);
}
inline int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, XeqT_Obj_Handle* out) {
    return Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_OBJ, out, sizeof *out);
}
template <size_t N>
inline int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, char (&out)[N]) {
    return Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_TEXT, out, N);
}
#ifndef XEQ_HOST_IMPLEMENTATION
/* Any other pointer, whose room the host cannot know, is refused (see the C
 * form); the host's own sources see the C form instead. */
int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, void* out) = delete;
int Rule_Nt_Interface_Attr_Get(const RuleT_Nt_Interface* intf, const char* path, void* out) = delete;
#endif
template <size_t N>
inline int Xeq_Obj_Attr_Get_As_String(XeqT_Obj_Handle obj, const char* path, char (&out)[N]) {
    return Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_TEXT, out, N);
}
inline int Xeq_Obj_Attr_Set(XeqT_Obj_Handle obj, const char* path, int value) {
    return Xeq_Obj_Attr_Value_Set(obj, path, XEQC_VALUE_INT, &value);
}
inline int Xeq_Obj_Attr_Set(XeqT_Obj_Handle obj, const char* path, double value) {
    return Xeq_Obj_Attr_Value_Set(obj, path, XEQC_VALUE_DOUBLE, &value);
}
inline int Xeq_Obj_Attr_Set(XeqT_Obj_Handle obj, const char* path, const char* value) {
    return Xeq_Obj_Attr_Value_Set(obj, path, XEQC_VALUE_TEXT, value);
}
inline int Xeq_Obj_Attr_Set(XeqT_Obj_Handle obj, const char* path, XeqT_Obj_Handle compound) {
    return Xeq_Obj_Attr_Value_Set(obj, path, XEQC_VALUE_OBJ, &compound);
}
template <size_t N>
inline int Xeq_Obj_Attr_Desc_Nth_Get(XeqT_Obj_Handle obj, int index, char (&out)[N]) {
    return Xeq_Obj_Attr_Desc_Nth_Get_N(obj, index, out, N);
}
template <size_t N>
inline int Xeq_Obj_Attr_Symbol_Get(XeqT_Obj_Handle obj, const char* path, char (&out)[N]) {
    return Xeq_Obj_Attr_Symbol_Get_N(obj, path, out, N);
}
template <size_t N>
inline int Rule_Nt_Obj_Hierarchical_Name_Get(XeqT_Obj_Handle obj, char (&out)[N]) {
    return Rule_Nt_Obj_Hierarchical_Name_Get_N(obj, out, N);
}
/* A colour (xeqed_gui.h) is kept as an integer attribute. */
inline int Xeq_Obj_Attr_Set(XeqT_Obj_Handle obj, const char* path, XeqT_Color value) {
    const int stored = static_cast<int>(value & 0xFFFFFFu);
    return Xeq_Obj_Attr_Value_Set(obj, path, XEQC_VALUE_INT, &stored);
}
template <size_t N>
inline int Xeq_Model_Name_Get(XeqT_Model_Handle model, char (&out)[N]) {
    return Xeq_Model_Name_Get_N(model, out, N);
}
inline int Rule_Nt_Interface_Attr_Get(const RuleT_Nt_Interface* intf, const char* path,
                                      XeqT_Obj_Handle* out) {
    return Rule_Nt_Interface_Attr_Value_Get(intf, path, XEQC_VALUE_OBJ, out, sizeof *out);
}
inline int Rule_Nt_Interface_Attr_Get(const RuleT_Nt_Interface* intf, const char* path, int* out) {
    return Rule_Nt_Interface_Attr_Value_Get(intf, path, XEQC_VALUE_INT, out, sizeof *out);
}
template <size_t N>
inline int Rule_Nt_Interface_Attr_Get(const RuleT_Nt_Interface* intf, const char* path,
                                      char (&out)[N]) {
    return Rule_Nt_Interface_Attr_Value_Get(intf, path, XEQC_VALUE_TEXT, out, N);
}
template <size_t N>
inline int Rule_Nt_Interface_Attr_Get_As_String(const RuleT_Nt_Interface* intf, const char* path,
                                                char (&out)[N]) {
    return Rule_Nt_Interface_Attr_Value_Get(intf, path, XEQC_VALUE_TEXT, out, N);
}
#endif /* __cplusplus */

#endif /* XEQED_H */
