/* What every plug-in source includes once: the import of the host's release
 * markers. The host refuses nothing on their account, but a plug-in built
 * against another release fails to load because the marker is missing.
 *
 * The loader of the original platform also called each plug-in's entry
 * point on thread attach; the plug-ins turned that off. dlopen has no such
 * notices, so a plug-in needs no load-time code at all. */
#ifndef XEQ_PLUGIN_H
#define XEQ_PLUGIN_H

#include "xeqed.h"

/* The plug-in's exports: C linkage, default visibility (plug-ins are built
 * with hidden visibility so that nothing else leaks). */
#define XEQ_EXPORT extern "C" __attribute__((visibility("default")))

/* References the markers so that the link records the dependency. */
#define XEQ_IMPORT_RELEASE_MARKER(marker)                                        \
    __attribute__((used)) static const int* const xeq_release_import_##marker = &marker

#endif /* XEQ_PLUGIN_H */
