/* ygalib: the host's model-file library, used by plug-ins that write model
 * files of their own. */
#ifndef YGALIB_H
#define YGALIB_H

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the library; returns 1. Calling it again is harmless. */
int Yga_Init(void);

#ifdef __cplusplus
}
#endif

#endif /* YGALIB_H */
