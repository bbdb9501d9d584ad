/* A program outside the project that uses the installed libgxr: the
 * version, a distance (no engine) and a conversion (through the engine and
 * its data files, so that the engine's own libraries must resolve too). */
#include <gxr/gxr.h>

#include <stdio.h>

int main(void) {
  char name[13], version[8], date[13], extra[4];
  if (GXR_VersionGet(name, version, date, extra) != GXR_OK) return 1;

  GxrDistParams pair = {38.0, -77.0, 0, 51.4778, -0.0015, 0, GXR_EARTH_WGS84};
  double metres = 0;
  if (GXR_DistanceCalculate(GXR_GEODESIC, &pair, &metres) != GXR_OK) return 1;

  GxrDiagnostic diagnostic = {0};
  GXR_ThreadInit();
  int status = GXR_DtccInitialize(6, 6, &diagnostic);
  if (status != GXR_OK) return fprintf(stderr, "initialisation: status %d\n", status), 1;
  GxrPoint3 point = {{38.0, -77.0, 0}};
  GxrPointArray result = {0, NULL};
  status = GXR_CoordinatesConvert("WGE", "WGE", "GD", "UT", NULL, NULL, 1, &point, &result, &diagnostic);
  if (status != GXR_OK) return fprintf(stderr, "conversion: status %d\n", status), 1;
  const GxrGridPoint *utm = result.points;
  printf("libgxr %s; geodesic %.3f m; UTM %d %c %.3f %.3f\n", version, metres, utm->zone, utm->hemisphere,
         utm->easting, utm->northing);
  GXR_PtrFree(&result.points);
  return 0;
}
