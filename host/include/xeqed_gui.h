/* xeqed's user-interface calls: dialogs and their controls, prompts, file
 * and directory choosers, popup menus, colours, and the selection, status
 * and zoom target of the edited model. Dialogs are loaded by name with
 * Xeq_Dbox_Load (vyqlib.h); everything here is xeqed's.
 *
 * The editor's user interface runs on one thread. A plug-in's handler runs
 * inside one act of the user (a button pressed, an entry picked) and may
 * open further dialogs, prompts and choosers; a prompt that blocks
 * (Xeq_Dbox_Block) runs the host's event loop until its callback unblocks it.
 *
 * Handles: a dialog or control handle of a destroyed dialog stops resolving,
 * and every call on it fails (returns 0, null or does nothing). */
#ifndef XEQED_GUI_H
#define XEQED_GUI_H

#include <stddef.h>
#include <stdint.h>

#include "kpllib.h"
#include "qovlib.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VyqS_Dbox* XeqT_Dbox;       /* null: no dialog */
typedef struct VyqS_Control* VyqT_Control; /* null: no control */

/* A colour as 0x00RRGGBB. */
typedef uint32_t XeqT_Color;

/* ---- dialogs ------------------------------------------------------------------
 * A dialog is made from its definition (host/DIALOG_FORMAT.md) and carries
 * the state object given at load. Its default handler receives
 * XEQC_DBOX_MSG_CREATE while Xeq_Dbox_Load runs and XEQC_DBOX_MSG_CLOSE when
 * the dialog is destroyed (by Xeq_Dbox_Destroy or by the user closing it).
 * A button's export receives XEQC_DBOX_MSG_PRESS, a popup's or toggle's or
 * text edit's change export XEQC_DBOX_MSG_CHANGE (submessage: the popup's
 * selected index, the toggle's value, 0 for a text), with the control's
 * name. */
#define XEQC_DBOX_MSG_CREATE 0
#define XEQC_DBOX_MSG_CLOSE 1
#define XEQC_DBOX_MSG_PRESS 2
#define XEQC_DBOX_MSG_CHANGE 3

typedef void (*XeqT_Dbox_Handler)(XeqT_Dbox dbox, int message, int submessage, const char* control,
                                  void* data);

/* The dialog's position and size on the screen, in pixels. */
typedef struct XeqT_Dbox_Bounds {
    int x;
    int y;
    int width;
    int height;
} XeqT_Dbox_Bounds;

/* The state object given at load (or to a prompt or chooser: its state). */
void* Xeq_Dbox_State_Get(XeqT_Dbox dbox);
/* The dialog's control of that name, or null. */
VyqT_Control Xeq_Dbox_Ctl_Get(XeqT_Dbox dbox, const char* name);
/* Both return 1, or 0 for a dialog that is gone. */
int Xeq_Dbox_Show(XeqT_Dbox dbox);
int Xeq_Dbox_Hide(XeqT_Dbox dbox);
int Xeq_Dbox_Bounds_Get(XeqT_Dbox dbox, XeqT_Dbox_Bounds* bounds);
/* A width or height below 1 keeps the dialog's own. */
int Xeq_Dbox_Bounds_Set(XeqT_Dbox dbox, const XeqT_Dbox_Bounds* bounds);
int Xeq_Dbox_Title_Set(XeqT_Dbox dbox, const char* title);
/* Sends XEQC_DBOX_MSG_CLOSE to the default handler, then destroys the
 * dialog. A dialog already being destroyed is left alone, so handlers that
 * close each other close each dialog once. */
void Xeq_Dbox_Destroy(XeqT_Dbox dbox);
/* Runs the host's event loop until Xeq_Dbox_Unblock(dbox) or until the
 * dialog is gone. Returns 1 when unblocked (or gone), 0 when the user's
 * input ended while the dialog still waited. */
int Xeq_Dbox_Block(XeqT_Dbox dbox);
/* Ends the innermost Xeq_Dbox_Block of dbox. Returns 1, or 0 when dbox is
 * not blocked. */
int Xeq_Dbox_Unblock(XeqT_Dbox dbox);

/* ---- controls -----------------------------------------------------------------
 * Kinds: text edit, toggle, popup (entries and one selected entry), button,
 * table, label. Texts handed out are bounded by the caller's size. */
/* The control's text (edit: its text; popup: the selected entry; toggle:
 * "1"/"0"; label, button: its label) into buffer. Returns 1, or 0. */
int Xeq_Ctl_Value_Str_Get_N(VyqT_Control ctl, char* buffer, size_t size);
/* Sets an edit's text, a label's text, a popup's selection (an entry of
 * that text), a toggle (a number). Returns 1, or 0. */
int Xeq_Ctl_Value_Str_Set(VyqT_Control ctl, const char* text);
/* The control's text as a new string (released with kpl_mem_free), or null. */
char* Xeq_Ctl_Value_Dyn_Str_Get(VyqT_Control ctl);
/* A toggle's value (0 or 1), a popup's selected index (-1 for none), an
 * edit's text read as a whole number (0 when it is not one); 0 for others. */
int Xeq_Ctl_Value_Int_Get(VyqT_Control ctl);
/* Sets a toggle (non-zero is 1), a popup's selected index, an edit's text
 * to the number. Returns 1, or 0. */
int Xeq_Ctl_Value_Int_Set(VyqT_Control ctl, int value);
/* Replaces a popup's entries with copies of the texts (char*) of entries;
 * the selection is cleared. Returns 1, or 0 for a control that is no popup. */
int Xeq_Ctl_Entries_Set(VyqT_Control ctl, const QovT_Ll_Desc* entries);
/* The selected entry's text into buffer. Returns 1, or 0 when none is. */
int Xeq_Ctl_Selected_String_Get_N(VyqT_Control ctl, char* buffer, size_t size);
/* Selects the first entry of that text. Returns 1, or 0 when there is none. */
int Xeq_Ctl_Selected_String_Set(VyqT_Control ctl, const char* text);

/* ---- tables ---------------------------------------------------------------------
 * A table asks its dialog's display handler (named in the definition) for
 * every text it shows: row -1 is the header row. Its decoration handler may
 * colour a row: it stores a colour in background and sets
 * XEQC_TABLE_DECORATION_BACKGROUND in flags. The handler owns the texts it
 * returns; each stays valid until its next call. */
typedef const char* (*XeqT_Table_Display_Handler)(XeqT_Dbox dbox, const char* control, int row,
                                                  int column, void* state_ptr);
#define XEQC_TABLE_DECORATION_BACKGROUND 0x4 /* bit 2 */
typedef struct XeqT_Table_Decoration {
    XeqT_Color background;
    unsigned int flags;
} XeqT_Table_Decoration;
typedef void (*XeqT_Table_Decoration_Handler)(XeqT_Dbox dbox, const char* control, int row,
                                              int column, XeqT_Table_Decoration* decoration);

int Xeq_Ctl_Table_Row_Count_Set(VyqT_Control ctl, int rows);
/* The width, in characters, of the widest text of column over every row;
 * flags 1 counts the header too. 0 for a bad control or column. */
int Xeq_Ctl_Table_Column_Max_Width_Compute(VyqT_Control ctl, int column, int flags);
/* Sets the widths of the first count columns. Returns 1, or 0. */
int Xeq_Ctl_Table_Column_Widths_Set(VyqT_Control ctl, int count, const int* widths);

/* ---- colours ---------------------------------------------------------------------- */
/* Each component from 0 to 1 (clamped). */
XeqT_Color Xeq_Gui_Color_From_RGB(double red, double green, double blue);
/* "#RRGGBB" or a name the host knows ("red", "green", "blue", "black",
 * "white", "yellow"); black for anything else. */
XeqT_Color Xeq_Gui_Color_From_String(const char* text);

/* ---- prompts --------------------------------------------------------------------------
 * A prompt shows a title and lines with buttons: flags 0 gives "OK", flags 1
 * "OK" and "Cancel". When the user presses one, callback runs with the
 * button's index (0 OK, 1 Cancel) and the prompt is then destroyed, whatever
 * the callback returns. Prompts don't block by themselves: a caller that
 * must wait for the answer calls Xeq_Dbox_Block on the prompt. */
typedef int (*XeqT_Prompt_Callback)(XeqT_Dbox prompt, int status);
/* Copies the lines; null on a null title. */
XeqT_Dbox Xeq_Prompt_Dbox_Generic_Create(const char* title, const QovT_Textlist* lines,
                                         XeqT_Prompt_Callback callback, int flags);

/* ---- file and directory choosers -------------------------------------------------------
 * mode 0 chooses a file, mode 1 a directory. start_dir may be null (the
 * working directory); file_types a list of texts such as "(*.csv)" or
 * null. A chooser waits for the user's choice without blocking its caller. */
/* Save chooser: open_proc writes the chosen path (with the file type that
 * was picked, the first one when there are several) and returns 1 when it
 * did; close_proc then runs with cancel_flag 0, or alone with 1 when the
 * user cancelled. */
typedef int (*XeqT_File_Chooser_Open_Proc)(void* state_ptr, const char* path, const char* file_type);
typedef void (*XeqT_File_Chooser_Close_Proc)(void* state_ptr, int cancel_flag);
XeqT_Dbox Xeq_File_Chooser_Save_Create(const char* title, int mode, const char* start_dir,
                                       const QovT_Ll_Desc* file_types,
                                       XeqT_File_Chooser_Open_Proc open_proc,
                                       XeqT_File_Chooser_Close_Proc close_proc, void* state_ptr);
/* Open chooser: select_proc receives the chosen path; cancel_proc runs when
 * the user cancels. */
typedef int (*XeqT_File_Chooser_Select_Proc)(void* state_ptr, const char* path);
typedef void (*XeqT_File_Chooser_Cancel_Proc)(void* state_ptr);
XeqT_Dbox Xeq_File_Chooser_Open_Create(const char* title, int mode, const char* start_dir,
                                       const QovT_Ll_Desc* file_types,
                                       XeqT_File_Chooser_Select_Proc select_proc,
                                       XeqT_File_Chooser_Cancel_Proc cancel_proc, void* state_ptr);

/* ---- popup menus -------------------------------------------------------------------------
 * A menu of the texts (char*) of items, opened at the object the user
 * clicked. proc runs once: with the picked entry's index and text, or with
 * -1 and null when the menu is dismissed. The items are copied. Returns 1,
 * or 0 (proc never runs) for an empty list or a null proc. */
typedef void (*XeqT_Popup_Menu_Proc)(void* state_ptr, int selected_item,
                                     const char* selected_item_text);
int Xeq_Nt_Popup_Menu_Open(const QovT_Ll_Desc* items, XeqT_Popup_Menu_Proc proc, void* state_ptr);

#ifdef __cplusplus
} /* extern "C" */

template <size_t N>
inline int Xeq_Ctl_Value_Str_Get(VyqT_Control ctl, char (&out)[N]) {
    return Xeq_Ctl_Value_Str_Get_N(ctl, out, N);
}
template <size_t N>
inline int Xeq_Ctl_Selected_String_Get(VyqT_Control ctl, char (&out)[N]) {
    return Xeq_Ctl_Selected_String_Get_N(ctl, out, N);
}
#endif

#endif /* XEQED_GUI_H */
