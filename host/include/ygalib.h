/* ygalib: the host's model-file library, used by plug-ins that write model
 * files of their own: probe models (model kind 5), the statistics a
 * simulation of a scenario collects, kept as files of type 21 in the model
 * directories (host/PROBE_FORMAT.md).
 *
 * Attributes are set through entry lists: each entry is an attribute name,
 * a code, an index (0) and a value, and the list ends with the text
 * YGAC_EOL. Code 6 sets the value, of the attribute's own kind (a text,
 * a double, or an object of the same model); any other code keeps an int
 * beside the value under that code (10: the value is in use, 15: the
 * attribute's flags). Names the library does not know end the list with a
 * failure, since their values' kind is unknown. */
#ifndef YGALIB_H
#define YGALIB_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define YGAC_EOL "YGAC_EOL"
#define YGAC_MODEL_PROBE 5
#define YGAC_CODE_VALUE 6
#define YGAC_TFILE_PROBE 21 /* file type of probe models, suffix "prb" */

/* Object kinds of a probe model. */
#define YGAC_OBJ_NODE_PROBE 1
#define YGAC_OBJ_POSITION 4
#define YGAC_OBJ_GLOBAL_PROBE 6
#define YGAC_OBJ_LINK_PROBE 8

typedef struct YgaS_Model* YgaT_Model;
typedef struct YgaS_Object* YgaT_Object;

/* Prepares the library; returns 1. The arguments are the caller's release
 * and options (2, 0, 0); calling it again is harmless. */
int Yga_Init(int release, int options, int reserved);

/* The probe model of that name from the model directories; null when there
 * is none, it is of another kind, or its file is malformed (a warning names
 * the file and the fault). */
YgaT_Model Yga_Model_Read(int model_kind, const char* name);
/* The model in the file at path, with the same failures. */
YgaT_Model Yga_Model_File_Read(const char* path);
/* A new empty model; null for a kind other than 5. */
YgaT_Model Yga_Model_Create(int model_kind);
/* Writes the model as "<name>.prb": where the model of that name already
 * is, else in the first model directory. Returns 1, or 0 with a warning. */
int Yga_Model_Write(YgaT_Model model, const char* name);
/* Releases the model and its objects; null is ignored. */
void Yga_Model_Destroy(YgaT_Model model);

/* A new object of the model, after the existing ones. */
YgaT_Object Yga_Object_Create(YgaT_Model model, int object_kind);
/* Entry lists as above; return 1 when every entry was taken, else 0 (the
 * entries before the faulty one are kept). */
int Yga_Object_Attr_Set(YgaT_Model model, YgaT_Object object, ...);
int Yga_Model_Attr_Set(YgaT_Model model, ...);

/* Reading a model back. Objects count from 0 in creation order. */
int Yga_Model_Object_Count(YgaT_Model model);
YgaT_Object Yga_Model_Object_Get(YgaT_Model model, int index);
int Yga_Object_Kind_Get(YgaT_Object object);
/* The value of an attribute as text into buffer (doubles as "%g", an
 * object as "#<index>"); object null reads the model's attributes.
 * Returns 1, or 0 when the attribute is not set. */
int Yga_Attr_Text_Get(YgaT_Model model, YgaT_Object object, const char* name, char* buffer,
                      size_t size);
/* The int kept under a code other than 6 into out. Returns 1, or 0. */
int Yga_Attr_Code_Get(YgaT_Model model, YgaT_Object object, const char* name, int code, int* out);

#ifdef __cplusplus
}
#endif

#endif /* YGALIB_H */
