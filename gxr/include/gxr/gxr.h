/*
 * GXR geospatial utility library: the whole public interface.
 *
 * Every function returns a 32-bit status code (GXR_OK, 0, on success,
 * otherwise a row of the status-message table that GXR_ErrorGet words) and
 * hands results back through caller-supplied pointers. Angles cross the
 * interface in decimal degrees and lengths in metres unless a declaration
 * says otherwise. Memory handed to the caller comes from GXR_MemGet or
 * GXR_MemRealloc and goes back through GXR_PtrFree.
 *
 * This header compiles as plain C (C11) and as C++.
 */
#ifndef GXR_GXR_H
#define GXR_GXR_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define GXR_API __attribute__((visibility("default")))
#else
#define GXR_API
#endif

struct stat;

/* ------------------------------------------------------------------------ */
/* Status codes                                                             */
/* ------------------------------------------------------------------------ */

/* Rows of the status-message table that belong to this library. The rows in
 * between belong to sibling components that share the numbering; GXR_ErrorGet
 * words them all. Plain int constants: the type every function returns. */
#define GXR_OK 0
#define GXR_FILE_NOT_READABLE 1
#define GXR_FILE_NOT_WRITEABLE 2
#define GXR_FILE_NOT_EXECUTABLE 3
#define GXR_FILE_NOT_EXIST 4
#define GXR_INVALID_ERROR_CODE 5
#define GXR_CANNOT_COPY 6
#define GXR_CANNOT_MOVE 7
#define GXR_CANNOT_CHMOD 8
#define GXR_NO_MATCH 9
#define GXR_CANNOT_MKDIR 10
#define GXR_FILE_NOT_FOUND 11
#define GXR_NO_MEMORY 12
#define GXR_DIR_NOT_EXIST 13
#define GXR_DIR_ACCESS 14
#define GXR_COMPLETE 15
#define GXR_SERVERS_UNAVAILABLE 16
#define GXR_BAD_SERVICE 17
#define GXR_SERVER_NOT_FOUND 18
#define GXR_SERVER_HALTED 19
#define GXR_BAD_PREFERENCE 20
#define GXR_ENV_ERROR 34
#define GXR_CANNOT_CREATE_THREAD 132
#define GXR_NULL_POINTER 150
#define GXR_INVALID_FLAG 151
#define GXR_CANNOT_LOCK 152
#define GXR_DISK_SPACE 153
#define GXR_BAD_LATITUDE 156
#define GXR_BAD_LONGITUDE 157
#define GXR_HALF_WORLD 158
#define GXR_NEGATIVE_INPUT 159
#define GXR_SOURCE_NOT_FOUND 173
#define GXR_DEST_NOT_FOUND 174
#define GXR_GEOTRANS_ERROR 175
#define GXR_CANNOT_WAIT 176
#define GXR_BAD_BYTE_ORDER 177
#define GXR_TOO_FEW_POINTS 216
#define GXR_BAD_DATUM 267
#define GXR_BAD_EASTING 268
#define GXR_BAD_NORTHING 269
#define GXR_BAD_SCALE_FACTOR 270
#define GXR_BAD_ZONE 271
#define GXR_BAD_HEMISPHERE 272
#define GXR_BAD_PARALLEL_0 273
#define GXR_BAD_PARALLEL_1 274
#define GXR_BAD_PARALLEL_2 275
#define GXR_BAD_MGRS 276
#define GXR_BAD_GEOREF 277
#define GXR_BAD_ORIGIN_LATITUDE 278
#define GXR_TOO_FAR_FROM_POLE 279
#define GXR_FILE_STATUS 280
#define GXR_MAP_OPEN 281
#define GXR_MAP_DELETE 282
#define GXR_FILE_SIZE 283
#define GXR_MAP_VIEW 284
#define GXR_SEEK_PAST_END 285
#define GXR_SEEK_BEFORE_START 286
#define GXR_MUTEX_INIT 287
#define GXR_MUTEX_LOCK 288
#define GXR_MUTEX_UNLOCK 289
#define GXR_MUTEX_DESTROY 290
#define GXR_LONGITUDE_SPAN 293
#define GXR_DATAFILE_INIT 294
#define GXR_DTCC_WARNING 295
#define GXR_DTCC_ERROR 296
#define GXR_DTCC_INIT_ERROR 297
#define GXR_DTCC_INTERNAL 298
#define GXR_DTCC_UNSPECIFIED 299
#define GXR_DTCC_LOOKUP 300
#define GXR_DTCC_TABLE_SMALL 301

/* Number of rows in the status-message table (codes 0 to 303) and the size
 * of one row's slot, terminator included. */
#define GXR_STATUS_ROWS 304
#define GXR_STATUS_SLOT 256

/* ------------------------------------------------------------------------ */
/* Frame: messages, version, environment, memory                           */
/* ------------------------------------------------------------------------ */

/* *text receives a new copy of the message of code (release it with
 * GXR_PtrFree). Codes outside 0..303 are worded as row 5. 150 for a null
 * text, 12 (with *text null) when the copy cannot be allocated. */
GXR_API int GXR_ErrorGet(int code, char **text);

/* Copies the component name (13 bytes), version (8), release date (13) and
 * extra text (4) into the four buffers, which must be at least that big.
 * 150 and nothing written when any is null. */
GXR_API int GXR_VersionGet(char *name, char *version, char *date, char *extra);

/* *value receives the environment's own text of variable name (not a copy:
 * neither release nor change it). 34 when unset (*value unchanged). */
GXR_API int GXR_EnvGet(const char *name, char **value);

/* *block receives a zero-filled block of count * size bytes (a valid block
 * also for zero bytes), or null with 12. */
GXR_API int GXR_MemGet(void **block, size_t count, size_t size);

/* Resizes *block (null allocates) to size bytes, keeping the contents up to
 * the smaller size; added bytes are not cleared. Size 0, or a failed resize,
 * releases the block, leaves null in *block and returns 12. */
GXR_API int GXR_MemRealloc(void **block, size_t size);

/* Releases *block when it is not null and sets it to null. Always GXR_OK. */
GXR_API int GXR_PtrFree(void **block);

/* ------------------------------------------------------------------------ */
/* Earth models                                                             */
/* ------------------------------------------------------------------------ */

/* One earth model: axes in metres and inverse flattening (0 for the sphere). */
typedef struct GxrEllipse {
  double semiMajor;
  double semiMinor;
  double inverseFlattening;
} GxrEllipse;

/* Earth-model numbers; row 0 of the table is all zero and is no model. */
enum GxrEarthModel {
  GXR_EARTH_SPHERE = 1,
  GXR_EARTH_WGS72 = 2,
  GXR_EARTH_WGS84 = 3,
  GXR_EARTH_AIRY_1830 = 4,
  GXR_EARTH_AUSTRALIAN_NATIONAL = 5,
  GXR_EARTH_BESSEL_1841 = 6,
  GXR_EARTH_BESSEL_1841_NAMIBIA = 7,
  GXR_EARTH_CLARKE_1866 = 8,
  GXR_EARTH_CLARKE_1880 = 9,
  GXR_EARTH_EVEREST_INDIA_1830 = 10,
  GXR_EARTH_EVEREST_SABAH_SARAWAK = 11,
  GXR_EARTH_EVEREST_INDIA_1956 = 12,
  GXR_EARTH_EVEREST_WEST_MALAYSIA_1969 = 13,
  GXR_EARTH_EVEREST_WEST_MALAYSIA_SINGAPORE_1948 = 14,
  GXR_EARTH_EVEREST_PAKISTAN = 15,
  GXR_EARTH_GRS80 = 16,
  GXR_EARTH_HOUGH_1960 = 17,
  GXR_EARTH_INDONESIAN_1974 = 18,
  GXR_EARTH_INTERNATIONAL_1924 = 19,
  GXR_EARTH_KRASSOVSKY_1940 = 20,
  GXR_EARTH_MODIFIED_AIRY = 21,
  GXR_EARTH_MODIFIED_FISCHER_1960 = 22,
  GXR_EARTH_SOUTH_AMERICAN_1969 = 23
};
#define GXR_EARTH_MODELS 24

/* The earth-model table, rows 0 to 23, shared read-only with other
 * components. */
GXR_API extern const GxrEllipse gGxrEllipse[GXR_EARTH_MODELS];

/* Axes of model 1..23 (151 otherwise, nothing written). */
GXR_API int GXR_EarthRadiusSelect(int model, double *semiMajor, double *semiMinor);
/* Inverse flattening of model 1..23, 0 for the sphere (151 otherwise). */
GXR_API int GXR_EarthFlatteningGet(int model, double *inverseFlattening);
/* Writes earth type 2 for models 2..23; the sphere (1) and anything outside
 * give 151 and write nothing. */
GXR_API int GXR_EarthModelToTypeConvert(int model, unsigned char *type);

/* ------------------------------------------------------------------------ */
/* Geodetic computations                                                    */
/* ------------------------------------------------------------------------ */

/* Distance methods of GXR_DistanceCalculate; any other value counts as 3. */
enum GxrDistanceMethod {
  GXR_GREAT_CIRCLE = 0,
  GXR_RHUMB_LINE = 1,
  GXR_STRAIGHT_LINE = 2,
  GXR_GEODESIC = 3
};

/* Two points and an earth model. Angles in degrees on entry; every method
 * but the rhumb line rewrites them in place as radians. Heights in metres. */
typedef struct GxrDistParams {
  double lat1;
  double lon1;
  int32_t height1;
  double lat2;
  double lon2;
  int32_t height2;
  int32_t earthModel;
} GxrDistParams;

/* A local tangent-plane frame (x east, y north, z up, metres). */
typedef struct GxrOrigin {
  double lat;               /* radians */
  double lon;               /* radians */
  double height;            /* metres */
  double reserved1;
  double semiMajor;         /* a, metres */
  double semiMinor;         /* b, metres */
  double eccentricity;      /* sqrt(a^2 - b^2) / a */
  double radius;            /* R0, the radius function at the origin */
  double inverseFlattening;
  double sinLat;
  double cosLat;
  double sinLon;
  double cosLon;
  double x0;                /* the origin's own frame coordinates, */
  double y0;                /* subtracted so that it maps to 0, 0, 0 */
  double z0;
  double reserved2;
  unsigned char hemisphere; /* 0 north (or on the equator), 0xFF south */
  unsigned char earthType;  /* 2 */
} GxrOrigin;

/* A polygon vertex and a tested point. */
typedef struct GxrPolyPoint {
  float x;
  float y;
} GxrPolyPoint;

/* A bounding rectangle, in polygon coordinates. */
typedef struct GxrBoundRect {
  float x1;
  float x2;
  float y1;
  float y2;
} GxrBoundRect;

/* An area-of-interest polygon; points belong to the caller (GXR_PtrFree). */
typedef struct GxrAoi {
  int32_t count;
  GxrPolyPoint *points;
} GxrAoi;

/* Distance in metres between the two points of params by method. Returns
 * the validation status, the method's status, 293 when the geodesic refuses
 * longitudes 3.14 radians or more apart, 158 when the geodesic iteration
 * does not settle (nearly antipodal points). */
GXR_API int GXR_DistanceCalculate(int method, GxrDistParams *params, double *distance);

/* Checks *params and *distance, validates both points and, for every method
 * but 1, converts the four angles of *params to radians in place. */
GXR_API int GXR_DistParamValidate(int method, GxrDistParams **params, double **distance);

/* Latitude -90..90 (else 156), then longitude -180..180 (else 157), bounds
 * included; NaN fails. Degrees. */
GXR_API int GXR_GeoCoordValidate(double lat, double lon);

/* Great-circle distance on the radii of axes a and b; angles in radians. */
GXR_API int GXR_GlobalDistanceCalculate(double a, double b, double lat1, double lon1,
                                        double lat2, double lon2, double *distance);

/* Rhumb-line distance in metres; angles of params in degrees. */
GXR_API int GXR_RhumbLineCalculate(const GxrDistParams *params, double *distance);

/* Meridional parts of lat (degrees), in minutes of arc, never negative. */
GXR_API int GXR_MPCalculate(double lat, double *parts);

/* Chord through the earth, heights included; angles of params in radians. */
GXR_API int GXR_StraightLineCalculate(const GxrDistParams *params, double *distance);

/* Vincenty's inverse geodesic on axis a and flattening f, angles in radians.
 * Azimuths in radians, 0 to 2 pi. The distance is 0 for equal points, -1
 * for a pair refused by the longitude guard (azimuths not written) and -2
 * when the iteration does not settle within its round limit. */
GXR_API void GXR_EllipsDistCalculate(double a, double f, double lat1, double lon1,
                                     double lat2, double lon2, double *forwardAzimuth,
                                     double *backAzimuth, double *distance);

/* The geodesic iteration (Vincenty's notation). Returns GXR_OK when lambda
 * settled, GXR_HALF_WORLD when the round limit was reached first. */
GXR_API int GXR_AzimuthConverge(double f, double lon1, double lon2, double cosU2,
                                double sinU1, double cosU1cosU2, double *cos2SigmaMSqTerm,
                                double *sigma, double *cosSqAlpha, double *cosLambda,
                                double *cosSigma, double *cos2SigmaM, double *sinLambda,
                                double *sinSigma, double *cosU2SinLambda,
                                double *cosU1SinU2MinusTerm, const double *sinU1SinU2,
                                const double *cosU1SinU2);

/* Sets up a local frame at the origin (degrees, metres) on an ellipsoidal
 * model (151 for the sphere or a model outside 1..23). */
GXR_API int GXR_OriginInitialize(int model, double lat, double lon, int32_t height,
                                 double reserved, GxrOrigin *origin);

/* A point (radians, metres) in the origin's frame. */
GXR_API int GXR_CartesianConvert(const GxrOrigin *origin, double lat, double lon,
                                 int32_t height, double *x, double *y, double *z);

/* The conversion behind GXR_CartesianConvert, sines and cosines ready made. */
GXR_API void GXR_GeoToCartConvert(const GxrOrigin *origin, int32_t height, double sinLat,
                                  double cosLat, double sinLon, double cosLon, double *x,
                                  double *y, double *z);

/* r1^2 / (r0 sqrt(1 - s^2 k^2)); exactly r0 for s == 0 and r1 for s == 1. */
GXR_API void GXR_GeodeticRadiusCalculate(double s, double r0, double r1, double k,
                                         double *radius);

/* *inside = 1 when (x, y) lies in the polygon of count vertices (a point on
 * a horizontal edge is inside), else 0. 216 for fewer than 3 vertices. */
GXR_API int GXR_PointInPolyTest(const GxrPolyPoint *polygon, int count, float x, float y,
                                int *inside);

/* The four corners (x1,y2), (x1,y1), (x2,y1), (x2,y2) of rect. */
GXR_API int GXR_BoundRec2AoiConvert(const GxrBoundRect *rect, GxrAoi *area);

/* ------------------------------------------------------------------------ */
/* Unit conversions                                                         */
/* ------------------------------------------------------------------------ */

enum GxrDistanceUnit {
  GXR_FEET = 0,
  GXR_METERS = 1,
  GXR_KILOMETERS = 2,
  GXR_NAUTICAL_MILES = 3,
  GXR_STATUTE_MILES = 4,
  GXR_FATHOMS = 5
};
enum GxrAreaUnit { GXR_SQ_KILOMETERS = 0, GXR_SQ_MILES = 1, GXR_HECTARES = 2 };
enum GxrTimeUnit { GXR_DAYS = 0, GXR_HOURS = 1, GXR_MINUTES = 2, GXR_SECONDS = 3 };
enum GxrAngleDirection { GXR_DEG_TO_RAD = 0, GXR_RAD_TO_DEG = 1 };

/* Dispatchers: 159 for a negative or NaN value, then 150 for a null result,
 * then 151 for a unit outside the table or equal source and target. */
GXR_API int GXR_DistanceConvert(int from, int to, double value, double *result);
GXR_API int GXR_AreaConvert(int from, int to, double value, double *result);
GXR_API int GXR_TimeConvert(int from, int to, double value, double *result);
GXR_API int GXR_ConvParamValidate(double value, double **result);

/* Per-source-unit conversions: no sign check, result must be valid; 151 for
 * a target outside the table or equal to the source. */
GXR_API int GXR_FeetConvert(int to, double value, double *result);
GXR_API int GXR_MeterConvert(int to, double value, double *result);
GXR_API int GXR_KilometerConvert(int to, double value, double *result);
GXR_API int GXR_NauticalConvert(int to, double value, double *result);
GXR_API int GXR_StatuteConvert(int to, double value, double *result);
GXR_API int GXR_FathomConvert(int to, double value, double *result);
GXR_API int GXR_SquareKilometersConvert(int to, double value, double *result);
GXR_API int GXR_SquareMilesConvert(int to, double value, double *result);
GXR_API int GXR_HectareConvert(int to, double value, double *result);
GXR_API int GXR_DaysConvert(int to, double value, double *result);
GXR_API int GXR_HoursConvert(int to, double value, double *result);
GXR_API int GXR_MinutesConvert(int to, double value, double *result);
GXR_API int GXR_SecondsConvert(int to, double value, double *result);
GXR_API int GXR_DegRadConvert(int direction, double value, double *result);

/* ------------------------------------------------------------------------ */
/* Files and directories                                                    */
/* ------------------------------------------------------------------------ */

/* Service codes of GXR_AFileIO, GXR_FileOpen/GXR_FileSeek and GXR_MemMap. */
enum GxrFileService {
  GXR_IO_READ = 1,
  GXR_IO_WRITE = 2,
  GXR_IO_OPEN_READ = 3,              /* "r" */
  GXR_IO_OPEN_WRITE = 4,             /* "w" */
  GXR_IO_SEEK_CURRENT = 5,
  GXR_IO_SEEK_START = 6,
  GXR_IO_SEEK_END = 7,
  GXR_IO_TELL = 8,
  GXR_IO_REWIND = 9,
  GXR_IO_CLOSE = 10,
  GXR_IO_DELETE = 11,
  GXR_IO_OPEN_APPEND_READ = 12,      /* "a+" */
  GXR_IO_OPEN_READ_WRITE = 13,       /* "r+" */
  GXR_IO_OPEN_BIN_READ_WRITE = 14,   /* "rb+" */
  GXR_IO_OPEN_BIN_READ = 15,         /* "rb" */
  GXR_IO_OPEN_BIN_WRITE = 16,        /* "wb" */
  GXR_IO_OPEN_BIN_APPEND_READ = 17,  /* "ab+" */
  GXR_IO_READ_LINE = 18
};

/* Test codes of GXR_FileAccess. */
enum GxrAccessTest {
  GXR_ACCESS_READ = 1,
  GXR_ACCESS_WRITE = 2,
  GXR_ACCESS_EXECUTE = 3,
  GXR_ACCESS_EXIST = 4
};

/* A directory listing: the entries' bare names, "." and ".." included. */
typedef struct GxrDirList {
  int32_t cursor; /* index of the next name to read */
  int32_t count;
  char **names;
} GxrDirList;

/* Stream services. Failed system calls give -1, not a table code. */
GXR_API int GXR_AFileIO(int service, FILE **stream, const char *name, int countOrOffset,
                        void *buffer);
GXR_API int GXR_FileIOOpen(int service, FILE **stream, const char *name);
GXR_API int GXR_BinaryFileIOOpen(int service, FILE **stream, const char *name);
GXR_API int GXR_FileIOReadWrite(int service, FILE **stream, int size, void *buffer);
GXR_API int GXR_FileIOSeek(int service, FILE **stream, int offset);
GXR_API int GXR_FTell(FILE **stream, int32_t *position);

/* Whole-file services. */
GXR_API int GXR_FileAccess(const char *name, int test);
GXR_API int GXR_FileModeChange(const char *name, unsigned int mode);
GXR_API int GXR_FileStatusGet(const char *name, struct stat *status);
GXR_API int GXR_FileCopy(const char *source, const char *destination);
GXR_API int GXR_FileMove(const char *source, const char *destination);

/* Directories and disks. Listing makes the directory the process's current
 * directory, and it stays so. */
GXR_API int GXR_DirectoryOpen(const char *name, GxrDirList **list);
GXR_API int GXR_DirectoryOpenNT(const char *name, GxrDirList **list);
GXR_API int GXR_DirectoryRead(GxrDirList *list, char *name);
GXR_API int GXR_DirectoryClose(GxrDirList **list);
GXR_API int GXR_DirectoryMake(const char *name);
/* Low 32 bits of the free bytes of the disk holding path (null: current
 * directory). */
GXR_API int GXR_DiskSpaceGet(const char *path, uint32_t *freeBytes);

/* ------------------------------------------------------------------------ */
/* Memory-mapped file manager                                               */
/* ------------------------------------------------------------------------ */

/* One mapped file, shared by all readers of its name; lists are sorted by
 * name (unsigned bytes). */
typedef struct GxrMapRecord {
  char *name;
  const char *view;     /* the read-only view of the whole file */
  int file;             /* descriptor, holding an exclusive flock */
  void *mapping;        /* POSIX has no mapping object apart from its view */
  int32_t references;   /* open readers of this record */
  int32_t size;         /* bytes */
  struct GxrMapRecord *next;
} GxrMapRecord;

/* One reader's cursor into a mapped file; all zero when not open. */
typedef struct GxrMapReader {
  int32_t size;
  const char *current;
  const char *base;     /* the view; identifies the record at close */
  int32_t offset;
  int32_t reserved;
} GxrMapReader;

/* File interface (open and close serialised by the file-manager lock, which
 * GXR_ThreadInit creates). Open takes codes 3 and 15 (else 17). */
GXR_API int GXR_FileOpen(int service, GxrMapReader *reader, const char *name);
GXR_API int GXR_FileClose(GxrMapReader *reader);
GXR_API int GXR_FileRead(GxrMapReader *reader, int count, void *buffer);
GXR_API int GXR_FileSeek(int service, GxrMapReader *reader, int offset);
GXR_API int GXR_FileTell(const GxrMapReader *reader, int *offset);
/* 1 at or beyond the end, else 0 (an answer, not a status). */
GXR_API int GXR_FileEof(const GxrMapReader *reader);

/* Service interface on a list of its own, without a lock. */
GXR_API int GXR_MemMap(int service, GxrMapReader *reader, const char *name,
                       int countOrOffset, void *buffer, int *offset);

/* The manager's steps. */
GXR_API int GXR_MemMapOpenManage(GxrMapRecord **list, GxrMapReader *reader, const char *name);
GXR_API int GXR_MemMapCloseManage(GxrMapRecord **list, GxrMapReader *reader);
GXR_API int GXR_MemMapReadManage(GxrMapReader *reader, int count, void *buffer);
GXR_API int GXR_MemMapSeekManage(int service, GxrMapReader *reader, int offset);
GXR_API int GXR_MemMapNewMake(GxrMapRecord **list, const char *name, int position,
                              GxrMapRecord **record);
GXR_API int GXR_MemMapNTOpen(const char *name, GxrMapRecord *record);
GXR_API int GXR_MemMapNTClose(GxrMapRecord *record);
GXR_API int GXR_MemMapLLSortPosFind(GxrMapRecord **list, const char *name,
                                    GxrMapRecord **found, int *position);
GXR_API int GXR_MemMapLLAddrFind(GxrMapRecord **list, const GxrMapReader *reader,
                                 GxrMapRecord **found, int *index);
GXR_API int GXR_MemMapLLReferenceGet(GxrMapRecord *first, int index, GxrMapRecord **record,
                                     GxrMapRecord **previous);
GXR_API int GXR_MemMapLLInsert(GxrMapRecord **list, GxrMapRecord *record, int position);
GXR_API int GXR_MemMapLLNodeDelete(GxrMapRecord **list, int index);

/* ------------------------------------------------------------------------ */
/* Threads, locks, byte order, time                                         */
/* ------------------------------------------------------------------------ */

/* A lock: a binary semaphore, created free, not recursive, released by any
 * thread. */
typedef struct GxrLockObject *GxrLock;

/* Operations of GXR_ThreadMutexService. */
enum GxrLockOperation {
  GXR_LOCK_CREATE = 1,
  GXR_LOCK_TAKE = 2,
  GXR_LOCK_GIVE = 3,
  GXR_LOCK_DESTROY = 4
};

/* A started thread; -1 when the start failed. */
typedef intptr_t GxrThread;

/* Byte-order codes: the order of the data passed to the swap functions.
 * GXR_BIG (0) reverses the bytes on this little-endian library. */
enum GxrByteOrder { GXR_BIG = 0, GXR_LITTLE = 1 };

GXR_API int GXR_ThreadInit(void);
GXR_API int GXR_ThreadCleanup(void);
GXR_API int GXR_ThreadMutexService(int operation, GxrLock *lock);
GXR_API int GXR_ThreadCreate(void (*routine)(void *), void *argument, GxrThread *thread);
GXR_API void GXR_ThreadExit(void);
GXR_API int GXR_ThreadWait(GxrThread thread);
GXR_API int GXR_ThreadIDGet(uint32_t *id);

/* Reverse the 2-, 4- or 8-byte value in place for GXR_BIG, leave it for
 * GXR_LITTLE; 177 (value untouched) for any other code. GXR_FloatSwap is a
 * second name of GXR_LongSwap. */
GXR_API int GXR_ShortSwap(int order, void *value);
GXR_API int GXR_LongSwap(int order, void *value);
GXR_API int GXR_FloatSwap(int order, void *value);
GXR_API int GXR_DoubleSwap(int order, void *value);

/* *text receives a new 18-byte local time stamp "%Y%m%d.%H.%M.%S". */
GXR_API int GXR_DateTimeGet(char **text);

/* Starts the ONC RPC run-time once per process. Always GXR_OK. */
GXR_API int GXR_RPCInit(void);

/* ------------------------------------------------------------------------ */
/* Coordinate conversion, datums and ellipsoids (engine-backed)             */
/* ------------------------------------------------------------------------ */
/* Declared above already, do not repeat: gGxrEllipse, GxrEllipse,
 * GXR_EarthRadiusSelect, GXR_EarthFlatteningGet, GXR_EarthModelToTypeConvert
 * and GXR_GeoCoordValidate (implemented in src/geodesy.cpp). */

/* The engine's own words about one operation: its engine status, the
 * conversion status bits of each side and their texts. */
typedef struct GxrDiagnostic {
  int32_t engineStatus;
  int32_t inputStatus;
  int32_t outputStatus;
  char engineText[130];
  char inputText[500];
  char outputText[500];
} GxrDiagnostic;

/* Coordinate-system types, the catalogue's order (catalogue index - 1). */
enum GxrCoordSys {
  GXR_CS_GEODETIC = 0,          /* GD */
  GXR_CS_GEOREF = 1,            /* GE */
  GXR_CS_GEOCENTRIC = 2,        /* GC */
  GXR_CS_LOCAL_CARTESIAN = 3,   /* LC */
  GXR_CS_MGRS = 4,              /* MG */
  GXR_CS_UTM = 5,               /* UT */
  GXR_CS_UPS = 6,               /* UP */
  GXR_CS_ALBERS = 7,            /* AC */
  GXR_CS_BONNE = 8,             /* BF */
  GXR_CS_CASSINI = 9,           /* CS */
  GXR_CS_CYL_EQUAL_AREA = 10,   /* LI */
  GXR_CS_ECKERT4 = 11,          /* EF */
  GXR_CS_ECKERT6 = 12,          /* ED */
  GXR_CS_EQUIDISTANT_CYL = 13,  /* CP */
  GXR_CS_LAMBERT = 14,          /* LE */
  GXR_CS_MERCATOR = 15,         /* MC */
  GXR_CS_MILLER = 16,           /* MH */
  GXR_CS_MOLLWEIDE = 17,        /* MP */
  GXR_CS_ORTHOGRAPHIC = 18,     /* OD */
  GXR_CS_POLAR_STEREO = 19,     /* PG */
  GXR_CS_POLYCONIC = 20,        /* PH */
  GXR_CS_SINUSOIDAL = 21,       /* SA */
  GXR_CS_TRANS_CYL_EQUAL_AREA = 22, /* TX */
  GXR_CS_TRANSVERSE_MERCATOR = 23,  /* TC */
  GXR_CS_VAN_DER_GRINTEN = 24   /* VA */
};
#define GXR_COORD_SYSTEMS 25

/* Geodetic height types (GxrCoordParams.heightType). */
enum GxrHeightType {
  GXR_HEIGHT_NONE = 0,
  GXR_HEIGHT_ELLIPSOID = 1,
  GXR_HEIGHT_GEOID = 2 /* mean sea level */
};

/* Parameters of one system; angles in degrees, lengths in metres. Several
 * fields serve more than one system:
 *   originLatitude     also the standard parallel of Equidistant Cylindrical
 *                      and the latitude of true scale of Polar Stereographic;
 *   centralMeridian    also the origin longitude of Local Cartesian and the
 *                      longitude down from pole of Polar Stereographic;
 *   scaleFactor        for Polyconic the origin latitude, in degrees;
 *   heightType         for UTM the zone override;
 *   standardParallel1  also the orientation of Local Cartesian (degrees);
 *   standardParallel2  also the origin height of Local Cartesian (metres). */
typedef struct GxrCoordParams {
  double originLatitude;
  double centralMeridian;
  double falseEasting;
  double falseNorthing;
  double scaleFactor;
  int32_t heightType;
  int32_t zone;
  char reserved[8];
  double standardParallel1;
  double standardParallel2;
  int32_t precision; /* digits of GEOREF and MGRS output, 0 to 5 */
} GxrCoordParams;

/* The point of Geodetic (degrees, whole metres) and of Geocentric and Local
 * Cartesian (metres). */
typedef union GxrPoint3 {
  struct {
    double latitude;
    double longitude;
    int32_t height;
  } geodetic;
  struct {
    double x;
    double y;
    double z;
  } cartesian;
} GxrPoint3;

/* The point of every other system. */
typedef struct GxrGridPoint {
  double easting;
  double northing;
  char hemisphere; /* 'N' or 'S' (UTM, UPS) */
  int32_t zone;    /* UTM */
  char georef[21];
  char mgrs[27];
} GxrGridPoint;

/* A converted batch: points of the output system's kind (GxrPoint3 or
 * GxrGridPoint), released by the caller with GXR_PtrFree. */
typedef struct GxrPointArray {
  int32_t count;
  void *points;
} GxrPointArray;

/* Catalogues; every code and name is a block of its own (GXR_PtrFree). */
typedef struct GxrCoordSysList {
  int32_t count;
  char *codes[GXR_COORD_SYSTEMS]; /* 4-byte blocks */
  char *names[GXR_COORD_SYSTEMS]; /* 51-byte blocks */
} GxrCoordSysList;

#define GXR_DATUM_LIST_MAX 275
typedef struct GxrDatumList {
  int32_t count;                       /* entries 1..count; 0 repeats count */
  char *codes[GXR_DATUM_LIST_MAX + 1]; /* 7-byte blocks */
  char *names[GXR_DATUM_LIST_MAX + 1]; /* 32-byte blocks */
} GxrDatumList;

#define GXR_ELLIPSOID_LIST_MAX 32
typedef struct GxrEllipsoidList {
  int32_t count;                      /* entries 0..count-1 */
  char *codes[GXR_ELLIPSOID_LIST_MAX]; /* 3-byte blocks */
  char *names[GXR_ELLIPSOID_LIST_MAX]; /* 30-byte blocks */
} GxrEllipsoidList;

/* Operations of GXR_DtccDiagnosticService. */
enum GxrDiagnosticOp {
  GXR_DIAG_STORE = 8,
  GXR_DIAG_FETCH = 9,
  GXR_DIAG_TRANSLATE = 10
};

/* Refresh value that replaces the user's table copies with the masters. */
#define GXR_DTCC_REFRESH 7

/* Prepares the engine once per process from USER_DATA and GXR_DATA_DIR
 * (or DTCC_DATA_DIR); later calls return GXR_OK at once. */
GXR_API int GXR_DtccInitialize(int datumRefresh, int ellipsoidRefresh, GxrDiagnostic *diagnostic);
GXR_API int GXR_DtccDiagnosticGet(int engineStatus, GxrDiagnostic *diagnostic);
GXR_API int GXR_DtccDiagnosticService(int operation, int *value);
/* Library code for a side's conversion status (0 input, 1 output); -1 when
 * the engine cannot say. */
GXR_API int GXR_GeotransErrorGet(int direction);

/* Building blocks of a conversion; they take no lock, so the caller must be
 * the engine's only user (see GXR_CoordinatesConvert). */
GXR_API int GXR_CoordParamSet(int direction, int type, const GxrCoordParams *params);
GXR_API int GXR_CoordPointSet(int type, int index, const void *points);
GXR_API int GXR_CoordinateGet(int type, int index, void *points);

/* Converts count points between systems (by code) and datums; the result
 * array is new. Null parameters leave the system's defaults. */
GXR_API int GXR_CoordinatesConvert(const char *inputDatum, const char *outputDatum,
                                   const char *inputSystem, const char *outputSystem,
                                   const GxrCoordParams *inputParams,
                                   const GxrCoordParams *outputParams, int count,
                                   const void *inputPoints, GxrPointArray *result,
                                   GxrDiagnostic *diagnostic);
/* The same by type number; needs an engine initialised by an earlier call. */
GXR_API int GXR_CoordinateConvert(const char *inputDatum, const char *outputDatum, int inputType,
                                  int outputType, const GxrCoordParams *inputParams,
                                  const GxrCoordParams *outputParams, int count,
                                  const void *inputPoints, void **resultPoints);
GXR_API int GXR_CoordinateSystemListGet(GxrCoordSysList *list, GxrDiagnostic *diagnostic);
GXR_API int GXR_CoordSysListGet(int *count, char **names);

GXR_API int GXR_DatumListGet(GxrDatumList *list);
GXR_API int GXR_EllipsoidListGet(GxrEllipsoidList *list, GxrDiagnostic *diagnostic);
/* ellipsoidName: at least 30 bytes; ellipsoidCode: at least 3 bytes. */
GXR_API int GXR_DatumEllipseGet(const char *datumCode, char *ellipsoidName, char *ellipsoidCode);
/* Bounds in degrees; the definition persists in USER_DATA's datum table. */
GXR_API int GXR_UserDatumDefine(const char *code, const char *name, const char *ellipsoidCode,
                                double deltaX, double deltaY, double deltaZ, double sigmaX,
                                double sigmaY, double sigmaZ, double south, double north,
                                double west, double east, GxrDiagnostic *diagnostic);
GXR_API int GXR_UserEllipsoidDefine(const char *code, const char *name, double semiMajor,
                                    double inverseFlattening, GxrDiagnostic *diagnostic);
/* Geodetic points with mean-sea-level heights from one datum to another. */
GXR_API int GXR_DatumConvert(const char *sourceDatum, const char *targetDatum,
                             const GxrPointArray *input, GxrPointArray *output);
GXR_API int GXR_DatumTransformationAccuracyGet(const char *sourceDatum, const char *targetDatum,
                                               const GxrPoint3 *point, double *circularError,
                                               double *linearError, double *sphericalError,
                                               GxrDiagnostic *diagnostic);
/* direction -1: WGS 84 ellipsoid height to mean sea level; 1: the reverse. */
GXR_API int GXR_VerticalDatumConvert(int direction, double latitude, double longitude,
                                     double height, double *result, GxrDiagnostic *diagnostic);

#ifdef __cplusplus
}
#endif

#endif /* GXR_GXR_H */
