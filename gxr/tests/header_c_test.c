/* The public header as a plain C caller sees it: it must compile as C11,
 * and every status name must carry its row number. */
#include "gxr/gxr.h"

#include <string.h>

_Static_assert(GXR_OK == 0, "GXR_OK");
_Static_assert(GXR_FILE_NOT_READABLE == 1, "GXR_FILE_NOT_READABLE");
_Static_assert(GXR_FILE_NOT_WRITEABLE == 2, "GXR_FILE_NOT_WRITEABLE");
_Static_assert(GXR_FILE_NOT_EXECUTABLE == 3, "GXR_FILE_NOT_EXECUTABLE");
_Static_assert(GXR_FILE_NOT_EXIST == 4, "GXR_FILE_NOT_EXIST");
_Static_assert(GXR_INVALID_ERROR_CODE == 5, "GXR_INVALID_ERROR_CODE");
_Static_assert(GXR_CANNOT_COPY == 6, "GXR_CANNOT_COPY");
_Static_assert(GXR_CANNOT_MOVE == 7, "GXR_CANNOT_MOVE");
_Static_assert(GXR_CANNOT_CHMOD == 8, "GXR_CANNOT_CHMOD");
_Static_assert(GXR_NO_MATCH == 9, "GXR_NO_MATCH");
_Static_assert(GXR_CANNOT_MKDIR == 10, "GXR_CANNOT_MKDIR");
_Static_assert(GXR_FILE_NOT_FOUND == 11, "GXR_FILE_NOT_FOUND");
_Static_assert(GXR_NO_MEMORY == 12, "GXR_NO_MEMORY");
_Static_assert(GXR_DIR_NOT_EXIST == 13, "GXR_DIR_NOT_EXIST");
_Static_assert(GXR_DIR_ACCESS == 14, "GXR_DIR_ACCESS");
_Static_assert(GXR_COMPLETE == 15, "GXR_COMPLETE");
_Static_assert(GXR_SERVERS_UNAVAILABLE == 16, "GXR_SERVERS_UNAVAILABLE");
_Static_assert(GXR_BAD_SERVICE == 17, "GXR_BAD_SERVICE");
_Static_assert(GXR_SERVER_NOT_FOUND == 18, "GXR_SERVER_NOT_FOUND");
_Static_assert(GXR_SERVER_HALTED == 19, "GXR_SERVER_HALTED");
_Static_assert(GXR_BAD_PREFERENCE == 20, "GXR_BAD_PREFERENCE");
_Static_assert(GXR_ENV_ERROR == 34, "GXR_ENV_ERROR");
_Static_assert(GXR_CANNOT_CREATE_THREAD == 132, "GXR_CANNOT_CREATE_THREAD");
_Static_assert(GXR_NULL_POINTER == 150, "GXR_NULL_POINTER");
_Static_assert(GXR_INVALID_FLAG == 151, "GXR_INVALID_FLAG");
_Static_assert(GXR_CANNOT_LOCK == 152, "GXR_CANNOT_LOCK");
_Static_assert(GXR_DISK_SPACE == 153, "GXR_DISK_SPACE");
_Static_assert(GXR_BAD_LATITUDE == 156, "GXR_BAD_LATITUDE");
_Static_assert(GXR_BAD_LONGITUDE == 157, "GXR_BAD_LONGITUDE");
_Static_assert(GXR_HALF_WORLD == 158, "GXR_HALF_WORLD");
_Static_assert(GXR_NEGATIVE_INPUT == 159, "GXR_NEGATIVE_INPUT");
_Static_assert(GXR_SOURCE_NOT_FOUND == 173, "GXR_SOURCE_NOT_FOUND");
_Static_assert(GXR_DEST_NOT_FOUND == 174, "GXR_DEST_NOT_FOUND");
_Static_assert(GXR_GEOTRANS_ERROR == 175, "GXR_GEOTRANS_ERROR");
_Static_assert(GXR_CANNOT_WAIT == 176, "GXR_CANNOT_WAIT");
_Static_assert(GXR_BAD_BYTE_ORDER == 177, "GXR_BAD_BYTE_ORDER");
_Static_assert(GXR_TOO_FEW_POINTS == 216, "GXR_TOO_FEW_POINTS");
_Static_assert(GXR_BAD_DATUM == 267, "GXR_BAD_DATUM");
_Static_assert(GXR_BAD_EASTING == 268, "GXR_BAD_EASTING");
_Static_assert(GXR_BAD_NORTHING == 269, "GXR_BAD_NORTHING");
_Static_assert(GXR_BAD_SCALE_FACTOR == 270, "GXR_BAD_SCALE_FACTOR");
_Static_assert(GXR_BAD_ZONE == 271, "GXR_BAD_ZONE");
_Static_assert(GXR_BAD_HEMISPHERE == 272, "GXR_BAD_HEMISPHERE");
_Static_assert(GXR_BAD_PARALLEL_0 == 273, "GXR_BAD_PARALLEL_0");
_Static_assert(GXR_BAD_PARALLEL_1 == 274, "GXR_BAD_PARALLEL_1");
_Static_assert(GXR_BAD_PARALLEL_2 == 275, "GXR_BAD_PARALLEL_2");
_Static_assert(GXR_BAD_MGRS == 276, "GXR_BAD_MGRS");
_Static_assert(GXR_BAD_GEOREF == 277, "GXR_BAD_GEOREF");
_Static_assert(GXR_BAD_ORIGIN_LATITUDE == 278, "GXR_BAD_ORIGIN_LATITUDE");
_Static_assert(GXR_TOO_FAR_FROM_POLE == 279, "GXR_TOO_FAR_FROM_POLE");
_Static_assert(GXR_FILE_STATUS == 280, "GXR_FILE_STATUS");
_Static_assert(GXR_MAP_OPEN == 281, "GXR_MAP_OPEN");
_Static_assert(GXR_MAP_DELETE == 282, "GXR_MAP_DELETE");
_Static_assert(GXR_FILE_SIZE == 283, "GXR_FILE_SIZE");
_Static_assert(GXR_MAP_VIEW == 284, "GXR_MAP_VIEW");
_Static_assert(GXR_SEEK_PAST_END == 285, "GXR_SEEK_PAST_END");
_Static_assert(GXR_SEEK_BEFORE_START == 286, "GXR_SEEK_BEFORE_START");
_Static_assert(GXR_MUTEX_INIT == 287, "GXR_MUTEX_INIT");
_Static_assert(GXR_MUTEX_LOCK == 288, "GXR_MUTEX_LOCK");
_Static_assert(GXR_MUTEX_UNLOCK == 289, "GXR_MUTEX_UNLOCK");
_Static_assert(GXR_MUTEX_DESTROY == 290, "GXR_MUTEX_DESTROY");
_Static_assert(GXR_LONGITUDE_SPAN == 293, "GXR_LONGITUDE_SPAN");
_Static_assert(GXR_DATAFILE_INIT == 294, "GXR_DATAFILE_INIT");
_Static_assert(GXR_DTCC_WARNING == 295, "GXR_DTCC_WARNING");
_Static_assert(GXR_DTCC_ERROR == 296, "GXR_DTCC_ERROR");
_Static_assert(GXR_DTCC_INIT_ERROR == 297, "GXR_DTCC_INIT_ERROR");
_Static_assert(GXR_DTCC_INTERNAL == 298, "GXR_DTCC_INTERNAL");
_Static_assert(GXR_DTCC_UNSPECIFIED == 299, "GXR_DTCC_UNSPECIFIED");
_Static_assert(GXR_DTCC_LOOKUP == 300, "GXR_DTCC_LOOKUP");
_Static_assert(GXR_DTCC_TABLE_SMALL == 301, "GXR_DTCC_TABLE_SMALL");

_Static_assert(sizeof(GxrEllipse) == 3 * sizeof(double), "earth-model rows are three doubles");

/* Called from the C++ tests: a round trip through a few exports with C
 * linkage. Returns 0 when all behaved. */
int gxr_c_header_probe(void) {
  char *text = NULL;
  double metres = 0;
  unsigned char type = 0;
  int failures = 0;
  if (GXR_ErrorGet(GXR_OK, &text) != GXR_OK || strcmp(text, "Operation Okay.") != 0) ++failures;
  GXR_PtrFree((void **)&text);
  if (GXR_DistanceConvert(GXR_KILOMETERS, GXR_METERS, 2.0, &metres) != GXR_OK || metres != 2000.0) {
    ++failures;
  }
  if (GXR_EarthModelToTypeConvert(GXR_EARTH_WGS84, &type) != GXR_OK || type != 2) ++failures;
  if (gGxrEllipse[GXR_EARTH_WGS84].semiMajor != 6378137.0) ++failures;
  return failures;
}
