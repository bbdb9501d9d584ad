// Library frame: the status-message table, version report, environment
// look-up and the heap functions through which memory crosses the interface.
#include <cstdlib>
#include <cstring>

#include "gxr/gxr.h"

namespace {

// One fixed 256-byte slot per row, in code order. The texts are kept
// character for character, trailing blanks included: callers compare them.
const char kMessages[GXR_STATUS_ROWS][GXR_STATUS_SLOT] = {
    "Operation Okay.",
    "GXR -- The file is not readable.",
    "GXR -- The file is not writeable.",
    "GXR -- The file is not executable.",
    "GXR -- The file does not exist.",
    "GXR -- Invalid error code",
    "GXR -- Can not copy file",
    "GXR -- Can not move file",
    "GXR -- Can not change mode",
    "GXR -- No match found",
    "GXR -- Cannot create directory",
    "GXR -- Cannot find file",
    "GXR -- Cannot allocate memory",
    "GXR -- Directory does not exist",
    "GXR -- Cannot access directory",
    "GXR -- Operation complete ",
    "GXR -- Unable to acquire all QWPX Servers.",
    "GXR -- The requested service is not recognized by this API.",
    "GXR -- Server not found.",
    "GXR -- Server halted.",
    "GXR -- Invalid preference identifier.",
    "WFQ -- WFQ_DBHOME - Environment variable not set.",
    "WFQ -- Database list file does not exist.",
    "WFQ -- Database list file processing error.",
    "WFQ -- Invalid error code.",
    "WFQ -- Invalid Connection Id.",
    "WFQ -- Invalid Level Selected.",
    "WFQ -- Unknown MetaData Level.",
    "WFQ -- Unknown Data Type.",
    "WFQ -- Unknown DataSet.",
    "WFQ -- Invalid Resource List For Level.",
    "WFQ -- MetaData Processing Error.",
    "WFQ -- DataBase Undefined.",
    "WFQ -- KORV has not been initialized.",
    "Environment Variable Error.",
    "WFQ -- Cannot open the DBlist file.",
    "WFQ -- Cannot read the DBlist file.",
    "WFQ -- Database not found.",
    "WFQ -- Database name is NULL.",
    "WFQ -- Incompatible db/sw versions.",
    "WFQ -- Connection id invalid.",
    "WFQ -- Database status is off-line.",
    "WFQ -- Cannot allocate memory.",
    "WFQ -- Invalid AOI structure.",
    "WFQ -- AOI has not been defined.",
    "WFQ -- The AOIs do not intersect each other.",
    "WFQ -- Dataset not found.",
    "WFQ -- Data read error.",
    "WFQ -- Invalid VPF Feature.",
    "WFQ -- No VPF Data Available",
    "WFQ -- VPF table does not exist",
    "WFQ -- Feature End of File (FEOF) reached.",
    "WFQ -- Connections still open, unable to initialize ",
    "WFQ -- The requested service is not recognized by this API ",
    "WFQ -- Database list recieved does not conform to standards",
    "WFQ -- Requested service has not been implemented.",
    "WFQ -- Invalid SQL query statement.",
    "WFQ -- No data available.",
    "WFQ -- Server halted.",
    "WFQ -- Server not found.",
    "WFQ -- Database already exists.",
    "WFQ -- Directory path already exists.",
    "WFQ -- File system access error.",
    "WFQ -- Cannot determine data format.",
    "WFQ -- Cannot validate data using directory path provided.",
    "WFQ -- Cannot determine data type using directory path provided.",
    "WFQ -- An error occurred while validating the data.",
    "WFQ -- An error occurred while building the metadata.",
    "WFQ -- Memory allocation error.",
    "WFQ -- Not enough disk space available.",
    "WFQ -- An error occurred while copying data to disk.",
    "WFQ -- Cannot create Data Dictionary.",
    "WFQ -- Cannot delete Data Dictionary.",
    "WFQ -- Cannot add an Element to Data Dictionary.",
    "WFQ -- Element Format Error.",
    "WFQ -- Cannot Delete Element from Data Dictionary.",
    "WFQ -- Cannot Retrieve an Element from Data Dictionary.",
    "WFQ -- Data Dictionary NOT FOUND.",
    "WFQ -- Data Dictionary Element not found.",
    "WFQ -- Invalid Transaction Id.",
    "WFQ -- Transaction has been canceled.",
    "WFQ -- Data Dictionary element already exists.",
    "WFQ -- No changes are allowed to the KORV data dictionary.",
    "WFQ -- Data Dictionary already exists.",
    "WFQ -- Data Order in Connection is empty",
    "WFQ -- Trying to register a new data order while one still exists",
    "WFQ -- The request structure for data in a GRD format is invalid",
    "WFQ -- Attribute list does not match the keyword parameters",
    "WFQ -- Specified Data Type does not exist",
    "WFQ -- Someone forget to put this in",
    "WFQ -- Unable to create HALT file to cancel transaction",
    "WFQ -- Unable to Build Index",
    "WFQ -- No data available for specified request",
    "WFQ -- Application Data can only be retrieved in RAW format",
    "WFQ -- No Index Built due to no data available for this connection",
    "WFQ -- No data available for the requested AOI and databases",
    "WFQ -- Invalid value in SdRequest structure",
    "WFQ -- Invalid data type was passed into DataRetrieve",
    "WFQ -- SQL Parse Error",
    "WFQ -- SQL Unknown Element",
    "HZD -- Invalid Connection ID.",
    "HZD -- Invalid Error Code.",
    "HZD -- Invalid Area Of Interest.",
    "HZD -- Invalid Database List.",
    "HZD -- Service is Invalid.",
    "HZD -- Service is Unavailable.",
    "HZD -- Invalid Elevation Data Type Name.",
    "HZD -- Invalid Obscuration Data Type Name.",
    "HZD -- Obscuration Data not found.",
    "HZD -- Invalid Azimuth: -90 <= valid <= +90",
    "HZD -- Invalid Bearing (degrees): 0 <= valid <= 360",
    "HZD -- Invalid Latitude: -90 <= valid <= +90",
    "HZD -- Invalid Longitude: -180 <= valid <= +180",
    "HZD -- Invalid Input Parameter: must be > 0",
    "HZD -- Invalid Horizontal Sweep: 0 <= valid <= 360",
    "HZD -- Invalid Vertical Sweep: 0 <= valid <= 180",
    "HZD -- No latitude/longitude for observer.",
    "HZD -- Cannot find list of points.",
    "HZD -- Cannot find Surface Structure Data.",
    "HZD -- Invalid Flag Value.",
    "HZD -- Function Not Yet Implemented.",
    "HZD -- Connections still open, unable to initialize.",
    "HZD -- No database name specified.",
    "HZD -- Resolution value is invalid for this test.",
    "HZD -- Earth Model specified is not recognized.",
    "HZD -- Invalid vertical distance flag setting.",
    "HZD -- Invalid 3D flag setting.",
    "HZD -- ASL level is below elevation height.",
    "HZD -- Operational point outside of Area of Interest.",
    "HZD -- Invalid number of Operational Points - must be > 0.",
    "HZD -- Invalid Path Width.",
    "HZD -- Insufficient number of points.",
    "GXR -- Cannot Create Thread.",
    "WFQ -- Tuple value is invalid.",
    "WFQ -- Column value is invalid.",
    "WFQ -- Error connecting to the backend database",
    "WFQ -- Transaction ID is already in use",
    "WFQ -- Dataset already exists",
    "WFQ -- Transaction still processing, cannot disconnect ",
    "HZD -- Maximum number of target points for Pt2Pt is 1.",
    "WFQ -- The source database does not already exist.",
    "WFQ -- The source dataset does not already exist.",
    "WFQ -- The destination database does not already exist.",
    "WFQ -- The destination dataset does not already exist.",
    "WFQ -- The dataset name specified already exists as a database.",
    "WFQ -- A unique transaction Id cannot be allocated.",
    "WFQ -- Transaction being canceled already completed or had error.",
    "WFQ -- The source name provided does not exist.",
    "WFQ -- The database name specified already exists as a dataset",
    "WFQ -- The database already exists",
    "GXR -- A null pointer was received.",
    "GXR -- An invalid flag was received.",
    "GXR -- Unable to lock the file.",
    "GXR -- Can not determine the disk space available",
    "HZD -- MSL level is less than elevation height.",
    "HZD -- Invalid Distance Method.",
    "GXR -- The latitude value is out of range.",
    "GXR -- The longitude value is out of range.",
    "GXR -- Great Circle Calculation Error - Half World.",
    "GXR -- The input value was less than zero.",
    "HZD -- No elevation data for point.",
    "HZD -- Invalid number of observers.",
    "HZD -- Invalid number of points.",
    "HZD -- The vertical distance value can not be negative.",
    "HZD -- The input points are identical.",
    "HZD -- No optical LOS - Cannot calculate Radio Intervisibility.",
    "HZD -- Invalid antenna polarization - must be vertical or horizontal.",
    "HZD -- Invalid frequency value - must be between 1 and 20,000 MHz.",
    "HZD -- Invalid wavelength - must be > 0.",
    "HZD -- Invalid conductivity - must be between 0.00001 and 100.0.",
    "HZD -- Invalid permittivity - must be between 1.0 and 100.0.",
    "HZD -- Invalid humidity - must be between 1.0 and 50.0.",
    "HZD -- Invalid refractivity - must be between 200.0 and 450.0.",
    "GXR -- The source file was not found.",
    "GXR -- The destination file was not found.",
    "GXR -- A geotrans error occurred.",
    "GXR -- Unable to wait on specified process.",
    "GXR -- Input value must be GXR_LITTLE or GXR_BIG.",
    "WFQ -- Invalid preference structure.",
    "WFQ -- Invalid DCHUM flag value.  Must be WFQ_ON or WFQ_OFF",
    "WFQ -- Invalid value in SdRequest structure",
    "WFQ -- DTED level 0 must have a resolution that is a multiple of 1000",
    "WFQ -- DTED level 1 must have a resolution that is a multiple of 100",
    "WFQ -- DTED level 2 must have a resolution that is a multiple of 33",
    "WFQ -- The datatype given does not match the retrieve request format",
    "HZD -- Warning: Time extends beyond WMM 5-year life span.",
    "WFQ -- The query results buffer is NULL.",
    "HZD -- Server not found.",
    "HZD -- Server halted.",
    "WFQ -- Cannot process file",
    "HZD -- Invalid sensor type",
    "HZD -- Invalid projection model conversion type",
    "HZD -- Invalid scan direction - must be right or left",
    "HZD -- Invalid attenuation factor - must be between 0 and 100",
    "HZD -- Invalid orientation angle - must be between 0 and 360",
    "WFQ -- Invalid mode defined for WFQ_VectorDataRetrieve",
    "WFQ -- Invalid feature list for WFQ_VectorDataRetrieve",
    "WFQ -- String1 in WFQ_DbService can't be NULL for this request",
    "WFQ -- String2 in WFQ_DbService can't be NULL for this request",
    "WFQ -- String3 in WFQ_DbService can't be NULL for this request",
    "HZD -- No intersection exists.",
    "HZD -- Not enough reference grid data.",
    "HZD -- Triangle outside screen boundary.",
    "WFQ -- The feature list contains an invalid number of features.",
    "HZD -- The selected option is invalid.",
    "HZD -- Invalid FACC List: list empty or : terminated.",
    "HZD -- Invalid FACC Code for obscuration. ",
    "HZD -- Missing FACC Code for obscuration. ",
    "WFQ -- Invalid FACC Code in request. ",
    "WFQ -- Invalid Attribute Flag in request. ",
    "WFQ -- Invalid Coordinate Flag in request. ",
    "WFQ -- Error accessing VPF index file. ",
    "HZD -- Invalid Grid Order for obscuration. ",
    "HZD -- Invalid attribute type. ",
    "HZD -- Invalid Shade Gradient Value - must be <= 256.",
    "HZD -- The requested Elevation Value Scale corresponds to an invalid number of colors.",
    "GXR -- The polygon points cardinality is less than three.",
    "WFQ -- The feature type is invalid.",
    "WFQ -- The ITD feature is invalid.",
    "WFQ -- The attribute is invalid.",
    "WFQ -- A file processing error occurred.",
    "WFQ -- The attribute frame is invalid.",
    "WFQ -- Product requested not supported for export.  Current products: DTED0-2, CADRG, CIB, CDTED.",
    "WFQ -- Product list contains a duplicate product request.",
    "WFQ -- Destination directory is invalid",
    "WFQ -- Destination directory is too small for the currect request",
    "WFQ -- Invalid DBDBV resolution.  Valid resolution's are 10000, 4000, 2000, or 1000",
    "WFQ -- ADRG RAW Retrieval is not supported ",
    "WFQ -- One of the requested products in not contained in the specified database.",
    "WFQ -- Cannot change the specified element in the Data Dictionary.",
    "HZD -- Invalid Field-Of-View angle.",
    "HZD -- Invalid Pitch angle - must be between -90 and +20.",
    "HZD -- Invalid Moon Azimuth - must be between 0 and 360.",
    "HZD -- Invalid Moon Angle - must be between 0 and 45 degrees.",
    "HZD -- Invalid Percent value - must be between 0 and 100.",
    "HZD -- Invalid Sun Azimuth - must be between 0 and 360.",
    "HZD -- Invalid Sun Strength - must be between 0 and 100.",
    "HZD -- Invalid Sun Angle - must be between 0 and 90 degrees.",
    "HZD -- Invalid Number of Sun Positions - must be between 0 and 10.",
    "HZD -- Invalid Month - must be between 1 and 12.",
    "HZD -- Invalid Number of Hours - must be between 1 and 24.",
    "HZD -- Invalid Beamwidth angle - must be between 0 and 45 degrees.",
    "HZD -- Invalid Attenuation value - must be between 0.0 and 1.0.",
    "HZD -- Invalid Radar Mode - must be HZD_RBGM_MODE or HZD_GPI_MODE.",
    "HZD -- Invalid Weather Data.",
    "HZD -- Invalid Vehicle Type specified.",
    "WFQ -- Invalid DAFIF edition.  Only DAFIF Edition 5 is supported.",
    "WFQ -- A newer release of DAFIF data is already in the KORV.",
    "WFQ -- Error processing DAFIF FILE0.",
    "WFQ -- Error processing DAFIF FILE1.",
    "WFQ -- Error processing DAFIF FILE2.",
    "WFQ -- Error processing DAFIF FILE3.",
    "WFQ -- Error processing DAFIF FILE4.",
    "WFQ -- Error processing DAFIF FILE5.",
    "WFQ -- Error processing DAFIF FILE6.",
    "WFQ -- Error processing DAFIF FILE7.",
    "WFQ -- Error processing DAFIF FILE8.",
    "WFQ -- Error processing DAFIF FILE9.",
    "WFQ -- Error processing DAFIF FILE10.",
    "WFQ -- Frame not in boundary rectangle",
    "WFQ -- Frame header name not the same as DataSet name",
    "WFQ -- Cannot find coverage section of frame file",
    "WFQ -- Err in ATOC processing - Boundry Rectangle too small",
    "WFQ -- Err in ATOC processing - In Rectangle cannot find Boundry",
    "WFQ -- Err in ATOC processing - Export interval mismatch",
    "WFQ -- Unable to convert facc code to an integer",
    "WFQ -- Display flag is invalid (WFQ_ON or WFQ_OFF)",
    "GXR -- Datum Code is invalid ",
    "GXR -- Invalid easting value",
    "GXR -- Invalid northing value",
    "GXR -- Invalid scale factor",
    "GXR -- Invalid UTM zone",
    "GXR -- Invalid hemisphere - Must be N or S",
    "GXR -- Invalid 0th standard parallel",
    "GXR -- Invalid 1st standard parallel",
    "GXR -- Invalid 2nd standard parallel",
    "GXR -- Invalid MGRS string",
    "GXR -- Invalid GEOREF string",
    "GXR -- Origin Latitude out of range - Must be between 0-180",
    "GXR -- Point too far from pole",
    "GXR -- Unable to retrieve status information from file",
    "GXR -- Unable to open file for memory mapping",
    "GXR -- Unable to delete the memory mapped file",
    "GXR -- Failure to obtain the filesize from file",
    "GXR -- Retrieving a view of memory mapped file failed",
    "GXR -- Seeking beyond end of file",
    "GXR -- Seeking beyond beginning of file",
    "GXR -- Unable to initialize thread mutex variable",
    "GXR -- Unable to lock thread mutex variable",
    "GXR -- Unable to unlock thread mutex variable",
    "GXR -- Unable to destroy thread mutex variable",
    "HZD -- MSL value must be between 0 and 1000 kilometers",
    "HZD -- Both WMM and MSL inputs are invalid",
    "GXR -- longitude parameters are more than 180 degrees apart",
    "GXR -- Failure while initializing geotrans datafiles",
    "GXR -- Dtcc datum transformation or coordinate conversion warning",
    "GXR -- Dtcc datum transformation or coordinate conversion error",
    "GXR -- Dtcc initialization error",
    "GXR -- Dtcc internal error",
    "GXR -- Dtcc unspecified error",
    "GXR -- Dtcc datum or ellipsoid lookup error",
    "GXR -- Dtcc datum or ellipsoid table too small",
    "YBR -- Analysis Results are not within the AOI of the Map Window.",
    "YBR -- Analysis Results color table is corrupt.",
};

constexpr char kName[] = "QWPX Utility";
constexpr char kVersion[] = "4.1.1.0";
constexpr char kDate[] = "NOV 15, 1999";
constexpr char kExtra[] = "N/A";

}  // namespace

extern "C" {

int GXR_ErrorGet(int code, char **text) {
  if (text == nullptr) return GXR_NULL_POINTER;
  if (code < 0 || code >= GXR_STATUS_ROWS) code = GXR_INVALID_ERROR_CODE;
  const char *message = kMessages[code];
  const size_t length = std::strlen(message);
  void *copy = nullptr;
  if (GXR_MemGet(&copy, length + 1, 1) != GXR_OK) {
    *text = nullptr;
    return GXR_NO_MEMORY;
  }
  std::memcpy(copy, message, length + 1);
  *text = static_cast<char *>(copy);
  return GXR_OK;
}

int GXR_VersionGet(char *name, char *version, char *date, char *extra) {
  if (name == nullptr || version == nullptr || date == nullptr || extra == nullptr) {
    return GXR_NULL_POINTER;
  }
  std::memcpy(name, kName, sizeof kName);
  std::memcpy(version, kVersion, sizeof kVersion);
  std::memcpy(date, kDate, sizeof kDate);
  std::memcpy(extra, kExtra, sizeof kExtra);
  return GXR_OK;
}

int GXR_EnvGet(const char *name, char **value) {
  if (name == nullptr || value == nullptr) return GXR_NULL_POINTER;
  char *found = std::getenv(name);
  if (found == nullptr) return GXR_ENV_ERROR;
  *value = found;
  return GXR_OK;
}

int GXR_MemGet(void **block, size_t count, size_t size) {
  if (block == nullptr) return GXR_NULL_POINTER;
  // A zero-byte request still hands back a distinct block the caller can free.
  *block = (count == 0 || size == 0) ? std::calloc(1, 1) : std::calloc(count, size);
  return *block == nullptr ? GXR_NO_MEMORY : GXR_OK;
}

int GXR_MemRealloc(void **block, size_t size) {
  if (block == nullptr) return GXR_NULL_POINTER;
  void *resized = size == 0 ? nullptr : std::realloc(*block, size);
  if (resized == nullptr) {
    // The caller is told the block is gone (null), so it must not stay
    // allocated behind its back.
    std::free(*block);
    *block = nullptr;
    return GXR_NO_MEMORY;
  }
  *block = resized;
  return GXR_OK;
}

int GXR_PtrFree(void **block) {
  if (block != nullptr && *block != nullptr) {
    std::free(*block);
    *block = nullptr;
  }
  return GXR_OK;
}

}  // extern "C"
