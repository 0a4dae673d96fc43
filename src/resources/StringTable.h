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
    kCsvFilter = 5243,
    kTextFilter = 5244,
    kExchangeLogFailed = 5245,
    kMeasurementFileFailed = 5246,
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
};

// The text of `id` as UTF-8 decoded; an empty text for a number the table
// does not hold.
QString Get(int id);
bool Has(int id);
// Every number in the table, ascending.
std::vector<int> Ids();

} // namespace StringTable
