/* hespr: the host's support library; plug-ins import its release marker. */
#ifndef HESPR_H
#define HESPR_H

#ifdef __cplusplus
extern "C" {
#endif

extern const int This_File_Was_Compiled_With_VALDRIC_Release_90A;

#ifdef __cplusplus
}
#endif

#endif /* HESPR_H */
