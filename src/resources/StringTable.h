#pragma once

#include <QString>

#include <vector>

// Every text of the user interface, by number. The numbers below 1000 are
// the program's string resources; the windows, the message boxes and the
// files refer to them by these numbers.
namespace StringTable {

// Numbers the shell uses by name.
enum Id : int {
    kVersion = 130,          // "версия %d.%02d"
    kTabHart = 131,
    kTabDevice = 161,
    kTabSensor = 162,
    kTabEventJournal = 163,
    kTabThresholdJournal = 164,
    kCaptionError = 208,     // failure boxes, stop icon
    kCaptionWarning = 209,   // warnings, exclamation icon
    kNoModbusPort = 210,
    kModbusPortUnavailable = 211,
    kNoHartPort = 212,
    kHartPortUnavailable = 213,
    kTabCalibration = 263,
    kSensorErrorFirst = 315,  // error bit texts 315 … 325
    kUnknownSensorError = 326,
    kTabTerminal = 364,
    kPasswordButton = 385,
    kMainTitle = 386,

    // Texts of the dialog layouts and of the port hints.
    kPasswordsButtonTemplate = 5000,
    kCloseButton = 5001,
    kConnectionTitle = 5002,
    kModbusPortLabel = 5003,
    kHartPortLabel = 5004,
    kMgPortLabel = 5005,
    kMgCountLabel = 5006,
    kOk = 5007,
    kCancel = 5008,
    kCalibrationPasswordLabel = 5009,
    kPortHintLinked = 5010,   // "%1" the device the link leads to
    kPortHintDevice = 5011,
    kPortHintMissing = 5012,
    kPortHintNotSet = 5013,
    kPortsFound = 5014,       // "%1" the list
    kNoPortsFound = 5015,
    kPortLinksFolder = 5016,  // "%1" the folder
    kVersionTemplate = 5017,  // the version line before the version is known
    kTimerButton = 5018,
    kReadButton = 5019,       // the parameter pages' read button
    kPollingToggle = 5020,    // and their polling toggle
    kYes = 5021,
    kNo = 5022,
    kPortPermissionDenied = 5023, // "%1" the device path
    kCloseWhileRunning = 5024,    // "%1" the list of what runs
    kRunningEventJournal = 5025,
    kRunningThresholdJournal = 5026,
    kRunningMeasurementFile = 5027, // "%1" the file
    kRunningLoopCurrent = 5028,     // "%1" the current, mA
    kStopwatchStart = 5030,   // the stopwatch's buttons
    kStopwatchStop = 5031,
    kStopwatchReset = 5032,
    kSensorErrorsTitle = 5033,

    // The calibration page, its panels and dialogs.
    kParametersTab = 271,
    kPidTab = 272,
    kMultigasCaption = 330,
    kChannelCaption = 329,
    kMsFormat = 332,
    kSecFormat = 333,
    kNumberSign = 334,
    kLogStart = 265,
    kLogStop = 266,
    kConfirmFactoryLoad = 384,
    kSaveFailed = 258,
    kSettingsGroup = 5200,
    kCalibrationGroup = 5201,
    kNoSettings = 5202,
    kMoreTitle = 5203,
    kOnGraph = 5204,
    kMoreAdc = 5205,
    kMoreAmbientTemperature = 5206,
    kMoreHeaterTemperature = 5207,
    kMoreSensorResistance = 5208,
    kMoreShuntVoltage = 5209,
    kMoreHeaterVoltage = 5210,
    kMoreLayerVoltage = 5211,
    kMoreHeaterResistance = 5212,
    kMorePwm = 5213,
    kMoreHumidity = 5214,
    kMoreHeaterTemperatures = 5215,
    kMoreHeaterResistances = 5216,
    kMoreHeaterPowers = 5217,
    kCat = 5218,
    kPlt = 5219,
    kDp = 5220,
    kChannelButton = 5230,
    kPollGroup = 5231,
    kPollPeriod = 5232,
    kReadConcentration = 5233,
    kMoreButton = 5234,
    kToFile = 5235,
    kCyclicMode = 5236,
    kHeatingTime = 5237,
    kFactorySettings = 5238,
    kFactoryLoad = 5239,
    kFactorySave = 5240,
    kLogButton = 5241,
    kRereadAll = 5242,
    kTextFilesFilter = 5244,
    kExchangeLogFailed = 5245,
    kMgSelectTitle = 5250,
    kMgChannelGroup = 5251,
    kMgSetGroup = 5252,
    kMgSwitch = 5253,
    kMgSetFailed = 5254,
    kMgNoPort = 5255,
    kMgPortUnavailable = 5256,
    kMgSetSilent = 5257,
    kMgNoSetSelected = 5258,
    kMgNotDeselected = 5259,
    kAbortButton = 5040,      // the journal pages' "Прервать (ESC)"
    kSaveAsButton = 5041,     // and their "Сохранить..."
    kSendButton = 5042,       // the terminal page's buttons
    kClearButton = 5043,
    kSaveButton = 5044,
    kCommandPrefix = 5045,    // the "@" in front of the command field
    kCsvFilter = 5046,        // the save dialogs' file types
    kAllFilesFilter = 5047,

    // The sensor-type settings panels and the polynomial dialog.
    kRowRead = 5300,
    kRowWrite = 5301,
    kNotANumber = 5302,
    kAveraging = 5303,
    kGain = 5304,
    kLoadResistance = 5305,
    kBiasBetween = 5306,
    kBiasWR = 5307,
    kBiasSign = 5308,
    kInternalZero = 5309,
    kInternalZeroOf = 5310,
    kReferenceSource = 5311,
    kReferenceVoltage = 5312,
    kShortingFet = 5313,
    kShortingFetOf = 5314,
    kTempSensorHeading = 5315,
    kCellMode = 5316,
    kSupplyVoltage = 5317,
    kConversionFactor = 5318,
    kVoltageAtZero = 5319,
    kPolyTitle = 5320,
    kLel = 5321,
    kHeating = 5322,
    kBridgeBalance = 5323,
    kOfBridge = 5324,
    kBalance = 5325,
    kAdcBits = 5326,
    kTemperature = 5327,
    kOfHeating = 5328,
    kCoefficient = 5329,
    kAlpha = 5330,
    kKts = 5331,
    kNormal = 5332,
    kTemperatureLower = 5333,
    kHumidityLower = 5334,
    kMaxTemperature = 5335,
    kMaxValue = 5336,
    kPwmShort = 5337,
    kParametersOf = 5338,
    kStabilisation = 5339,
    kProfile = 5340,
    kSaveProfile = 5341,
    kBiasFirst = 5342,          // "0 - 0%" … "13 - 24%", 14 items
    kInternalZeroFirst = 5356,  // "0 - 20%", "1 - 50%", "2 - 67%"
    kStabilisationFirst = 5359, // "T1", "Tout", "T2", "Temp"
    kCoefficientFirst = 5363,   // "K0" … "K4"

    // The measurement-log panels.
    kReadingInProgress = 245, // "Производится чтение..."
    kHeaterOn = 292,
    kHeaterOff = 293,
    kLogHeaterTemperature = 5400,
    kLogHeating = 5401,
    kLogCoefficients = 5402,
    kLogPid = 5403,
    kLogP = 5404,
    kLogI = 5405,
    kLogD = 5406,
    kLogRead = 5407,
    kLogWrite = 5408,
    kLogParametersGroup = 5409,
    kLogP1 = 5410,
    kLogP2 = 5411,
    kLogP3 = 5412,
    kLogPeriod = 5413,
    kLogGroup = 5414,
    kLogStartCondition = 5415,
    kLogChannel = 5416,
    kLogCreate = 5417,
    kLogSave = 5418,
    kLogGraph = 5419,
    kLogNumberColumn = 5420,
    kLogReadDone = 5430,     // "%1" the number of records
    kLogReadNothing = 5431,
    kLogNoPeriod = 5432,
    kLogSaveFailed = 5433,   // "%1" the path, "%2" the reason
    kLogSaved = 5434,        // "%1" the path, "%2" the number of records
    kLogEmpty = 5435,

    // The calibration panels.
    kCalibC1 = 5500,           // "C1", "C2", "V1", "V2", "S1", "S2"
    kCalibButton = 5506,
    kCalibByConcentration = 5507,
    kCalibByTemperature = 5508,
    kCalibTemperature = 5509,
    kCalibR20 = 5510,          // "R(t=20)", "R(изм)"
    kCalibRCat20 = 5512,       // "R CAT(t=20)", "R CAT(изм)", "R PLT(t=20)", "R PLT(изм)"
    kCalibConfirm = 5520,      // "%1" the point, "%2" the concentration
    kCalibReported = 5521,     // "%1" the point, "%2" typed, "%3" reported
    kCalibDiffers = 5522,
    kCalibUnconfirmed = 5523,  // "%1" the point, "%2" typed
    kCalibNotSent = 5524,
    kCalibQueued = 5525,
};

// The text of `id` as UTF-8 decoded; an empty text for a number the table
// does not hold.
QString Get(int id);
bool Has(int id);
// Every number in the table, ascending.
std::vector<int> Ids();

} // namespace StringTable
