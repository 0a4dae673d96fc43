#include "SensorModule.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "SimText.h"

namespace {

enum Kind { kOptoDyn = 1, kOptoMip, kElchem, kOksik, kSemi, kSemiCycl, kTcatBrdg, kTcatPwr, kCondTerm, kCondConv };

std::string Cp(const char* utf8)
{
    return SimText::Utf8ToCp1251(utf8).value_or("?");
}

bool IsLogKind(int kind)
{
    return kind == kSemi || kind == kSemiCycl || kind == kTcatPwr;
}

bool UsesS(int kind)
{
    return kind == kSemi || kind == kSemiCycl || kind == kTcatPwr;
}

std::map<std::string, std::string> Defaults(int kind)
{
    std::map<std::string, std::string> p;
    p["IS"] = "210457";
    p["DS"] = "14.03.2023";
    p["CD"] = "22.01.2024";
    p["IM"] = "Korvan";
    p["SS"] = "2.14";
    p["CL"] = "0";
    // Name, number and identifier: the device page edits the last two as
    // digits only, so the default gives it digits.
    p["SF"] = "KSD-FW,102,31054217";
    p["C1"] = "0";
    switch (kind) {
    case kOptoDyn:
    case kOptoMip:
        p["CA"] = kind == kOptoDyn ? "CH4" : "C3H8";
        p["UT"] = Cp("%НКПР");
        p["CH"] = "100";
        p["LE"] = kind == kOptoDyn ? "4.4" : "1.7";
        p["C2"] = "50";
        break;
    case kElchem:
        p["CA"] = "CO";
        p["UT"] = Cp("мг/м3");
        p["CH"] = "200";
        p["C2"] = "100";
        p["AV"] = "1"; p["RG"] = "3"; p["RL"] = "1"; p["BS"] = "0"; p["SB"] = "1"; p["IZ"] = "1";
        p["RS"] = "0"; p["MD"] = "3"; p["FS"] = "0"; p["U0"] = "2930"; p["KK"] = "8.011"; p["UL"] = "1560";
        p["K0"] = "1"; p["K1"] = "0.0021"; p["K2"] = "-0.00004"; p["K3"] = "0"; p["K4"] = "0";
        break;
    case kOksik:
        p["CA"] = "O2";
        p["UT"] = Cp("%об");
        p["CH"] = "30";
        p["C2"] = "20.9";
        p["AV"] = "1"; p["RG"] = "1";
        p["K0"] = "1"; p["K1"] = "-0.0013"; p["K2"] = "0.00002"; p["K3"] = "0"; p["K4"] = "0";
        break;
    case kSemi:
    case kSemiCycl:
        p["CA"] = "H2S";
        p["UT"] = Cp("мг/м3");
        p["CH"] = "40";
        p["C2"] = "20";
        p["WH"] = "1"; p["TG"] = "400"; p["A1"] = "0.01"; p["KT"] = "0.0028"; p["T0"] = "20"; p["H0"] = "60";
        p["MG"] = "550"; p["MP"] = "7600"; p["PI"] = "100,50,0";
        p["S1"] = "1520.4"; p["S2"] = "310.7"; p["R0"] = "2480.5";
        p["LP"] = "4,5,0,9";
        break;
    case kTcatBrdg:
        p["CA"] = "CH4";
        p["UT"] = Cp("%НКПР");
        p["CH"] = "100";
        p["C2"] = "50";
        p["WH"] = "1"; p["BB"] = "2047"; p["RG"] = "1"; p["BR"] = "16";
        break;
    case kTcatPwr:
        p["CA"] = "CH4";
        p["UT"] = Cp("%НКПР");
        p["CH"] = "100";
        p["C2"] = "50";
        p["WH"] = "1"; p["TG"] = "450"; p["KT"] = "0.0034"; p["MG"] = "550"; p["MP"] = "24000";
        p["CP"] = "100,10000,200,1"; p["PI"] = "10,200,0";
        p["S1"] = "182.35"; p["S2"] = "176.12"; p["R0"] = "10.52,10.47";
        p["LP"] = "6,5,4,19";
        break;
    case kCondTerm:
    case kCondConv:
        p["CA"] = kind == kCondTerm ? "H2" : "CO2";
        p["UT"] = Cp("%об");
        p["CH"] = kind == kCondTerm ? "4" : "5";
        p["C2"] = "2";
        break;
    default:
        break;
    }
    if (!UsesS(kind)) {
        p["V1"] = "0.412";
        p["V2"] = "1.873";
    }
    return p;
}

// Writable settings and how many comma-separated values each takes.
std::size_t FieldsOf(const std::string& code)
{
    if (code == "PI")
        return 3;
    if (code == "CP" || code == "LP")
        return 4;
    return 1;
}

const std::set<std::string>& Writable()
{
    static const std::set<std::string> s{"V1", "V2", "S1", "S2", "AV", "RG", "RL", "BS", "SB", "IZ", "RS", "MD",
        "FS", "U0", "KK", "UL", "K0", "K1", "K2", "K3", "K4", "WH", "BR", "TG", "A1", "KT", "T0", "H0", "MG",
        "MP", "PI", "CP", "LP", "LE"};
    return s;
}

std::string Join(const std::vector<std::string>& v, char sep)
{
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i != 0)
            out.push_back(sep);
        out += v[i];
    }
    return out;
}

bool IsBinaryWord(const std::string& s)
{
    return !s.empty() && s.size() <= 32 && s.find_first_not_of("01") == std::string::npos;
}

bool CleanText(const std::string& s)
{
    return s.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

const std::vector<std::string>& SensorModule::KindNames()
{
    static const std::vector<std::string> names{"OptoDyn", "OptoMIP", "Elchem", "Oksik", "Semi", "SemiCycl",
        "TcatBrdg", "TcatPWR", "CondTerm", "CondConv"};
    return names;
}

int SensorModule::KindOf(const std::string& typeName)
{
    const std::string t = SimText::ToLower(SimText::Trim(typeName));
    if (t == "elchlp")
        return kElchem;
    const auto& names = KindNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (SimText::ToLower(names[i]) == t)
            return static_cast<int>(i) + 1;
    return 0;
}

SensorModule::SensorModule(std::shared_ptr<MultigasState> multigas) : multigas_(std::move(multigas))
{
    if (!multigas_)
        multigas_ = std::make_shared<MultigasState>();
    SetKind("Semi");
}

std::string SensorModule::SetKind(const std::string& typeName)
{
    const int kind = KindOf(typeName);
    if (kind == 0)
        return "unknown sensor type \"" + typeName + "\" (one of OptoDyn, OptoMIP, Elchem, ElchLP, Oksik, Semi, "
            "SemiCycl, TcatBrdg, TcatPWR, CondTerm, CondConv)";
    kind_ = kind;
    params_ = Defaults(kind);
    params_["KS"] = SimText::Trim(typeName);
    for (const std::string& n : KindNames())
        if (SimText::ToLower(n) == SimText::ToLower(params_["KS"]))
            params_["KS"] = n;
    factory_ = params_;
    log_.clear();
    errorWords_.clear();

    readings_.clear();
    double conc = 0.0;
    double noise = 0.05;
    switch (kind) {
    case kOptoDyn: conc = 12.5; noise = 0.2; break;
    case kOptoMip: conc = 8.4; noise = 0.2; break;
    case kElchem: conc = 8.3; noise = 0.1; break;
    case kOksik: conc = 20.9; noise = 0.05; break;
    case kSemi:
    case kSemiCycl: conc = 3.2; noise = 0.08; break;
    case kTcatBrdg: conc = 0.8; noise = 0.05; break;
    case kTcatPwr: conc = 1.6; noise = 0.05; break;
    case kCondTerm: conc = 0.4; noise = 0.02; break;
    case kCondConv: conc = 0.9; noise = 0.02; break;
    default: break;
    }
    readings_["DT"] = {{LiveSignal(conc, noise)}, 2, true};
    readings_["DV"] = {{LiveSignal(20000.0, 4.0)}, 0, false};
    readings_["ST"] = {{LiveSignal(23.4, 0.1)}, 1, true};
    if (kind == kSemi || kind == kSemiCycl) {
        readings_["TH"] = {{LiveSignal(400.0, 0.6)}, 1, true};
        readings_["RP"] = {{LiveSignal(1350.0, 6.0)}, 1, true};
        readings_["PV"] = {{LiveSignal(0.412, 0.002), LiveSignal(2.87, 0.01), LiveSignal(1.26, 0.005)}, 3, false};
        readings_["RH"] = {{LiveSignal(11.8, 0.02)}, 2, true};
        readings_["PW"] = {{LiveSignal(4200.0, 15.0)}, 0, false};
        readings_["SH"] = {{LiveSignal(45.0, 0.4)}, 1, true};
    } else if (kind == kTcatPwr) {
        readings_["TH"] = {{LiveSignal(451.3, 0.5), LiveSignal(449.8, 0.5)}, 1, true};
        readings_["RH"] = {{LiveSignal(14.12, 0.01), LiveSignal(14.05, 0.01)}, 2, true};
        readings_["DW"] = {{LiveSignal(182.4, 0.3), LiveSignal(180.9, 0.3), LiveSignal(1.5, 0.1)}, 1, true};
        readings_["PW"] = {{LiveSignal(15800.0, 40.0)}, 0, false};
    }
    return {};
}

std::string SensorModule::ApplySetting(const std::string& key, const std::string& value, double seconds)
{
    long long n = 0;
    double d = 0.0;
    if (key == "kind")
        return SetKind(value);
    if (key == "modbus_id") {
        if (!SimText::ParseInt(value, n) || n < 1 || n > 247)
            return "modbus_id must be 1 to 247";
        modbusId_ = static_cast<std::uint8_t>(n);
        return {};
    }
    if (key == "hart_address") {
        if (!SimText::ParseInt(value, n) || n < 0 || n > 63)
            return "hart_address must be 0 to 63";
        hartAddress_ = static_cast<std::uint8_t>(n);
        return {};
    }
    if (key == "daa") {
        if (!SimText::ParseInt(value, n) || n < -100000 || n > 100000)
            return "daa must be an integer";
        daa_ = static_cast<int>(n);
        return {};
    }
    if (key == "calibration_password" || key == "manufacturer_password") {
        if (value.empty() || value.find_first_of(", \t\r\n") != std::string::npos)
            return key + " must be non-empty, without blanks or commas";
        (key == "calibration_password" ? calibrationPassword_ : manufacturerPassword_) = value;
        return {};
    }
    if (key == "concentration" || key == "noise" || key == "drift" || key == "step" || key == "step_period") {
        if (!SimText::ParseDouble(value, d) || !std::isfinite(d))
            return key + " must be a number";
        if ((key == "noise" || key == "step_period") && d < 0)
            return key + " must not be negative";
        LiveSignal& s = readings_["DT"].signals.at(0);
        if (key == "concentration") {
            s.level_ = d;
            s.origin_ = seconds;
        } else if (key == "noise")
            s.noise_ = d;
        else if (key == "drift")
            s.driftPerS_ = d;
        else if (key == "step")
            s.step_ = d;
        else
            s.stepPeriodS_ = d;
        return {};
    }
    if (key == "log_records") {
        if (!SimText::ParseInt(value, n) || n < 0 || n > 100000)
            return "log_records must be 0 to 100000";
        logRecords_ = static_cast<std::size_t>(n);
        return {};
    }
    if (key == "software_id") {
        const auto t = SimText::Utf8ToCp1251(value);
        if (!t || std::count(t->begin(), t->end(), ',') != 2)
            return "software_id must be name,number,identifier";
        params_["SF"] = *t;
        factory_["SF"] = *t;
        return {};
    }
    if (key.rfind("error.", 0) == 0) {
        const std::string code = key.substr(6);
        auto it = readings_.find(code);
        if (it == readings_.end() || !it->second.errorForm)
            return "no error form for \"" + code + "\" on this sensor kind";
        if (!IsBinaryWord(value))
            return "an error word is 1 to 32 characters 0 and 1";
        errorWords_[code] = value;
        return {};
    }
    if (key.rfind("param.", 0) == 0) {
        const std::string code = key.substr(6);
        const auto t = SimText::Utf8ToCp1251(value);
        if (code.size() != 2 || !t || !CleanText(*t))
            return "param.XX takes a two-character command code and a one-line text";
        if (readings_.count(code) != 0 || code == "ID" || code == "HA")
            return "\"" + code + "\" is a live reading or has its own key";
        params_[code] = *t;
        factory_[code] = *t;
        return {};
    }
    return "?";
}

bool SensorModule::HasParameter(const std::string& code) const
{
    return params_.count(code) != 0;
}

std::string SensorModule::Parameter(const std::string& code) const
{
    auto it = params_.find(code);
    return it == params_.end() ? std::string() : it->second;
}

void SensorModule::SetParameter(const std::string& code, const std::string& value)
{
    params_[code] = value;
}

std::string SensorModule::FactoryParameter(const std::string& code) const
{
    auto it = factory_.find(code);
    return it == factory_.end() ? std::string() : it->second;
}

void SensorModule::SetPasswords(const std::string& calibration, const std::string& manufacturer)
{
    calibrationPassword_ = calibration;
    manufacturerPassword_ = manufacturer;
}

void SensorModule::SetErrorWord(const std::string& code, const std::string& word)
{
    if (word.empty())
        errorWords_.erase(code);
    else
        errorWords_[code] = word;
}

double SensorModule::ConcentrationMean(double seconds) const
{
    return readings_.at("DT").signals.at(0).Mean(seconds);
}

double SensorModule::Concentration(double seconds)
{
    return readings_.at("DT").signals.at(0).At(seconds, rng_);
}

bool SensorModule::HeaterOn() const
{
    auto it = params_.find("WH");
    long long v = 0;
    return it != params_.end() && SimText::ParseInt(it->second, v) && v != 0;
}

double SensorModule::Number(const std::string& code, std::size_t field, double fallback) const
{
    auto it = params_.find(code);
    if (it == params_.end())
        return fallback;
    const auto fields = SimText::SplitCommas(it->second);
    double d = 0;
    return field < fields.size() && SimText::ParseDouble(fields[field], d) ? d : fallback;
}

std::string SensorModule::ReadingText(const std::string& code, double seconds)
{
    Reading& r = readings_.at(code);
    std::vector<std::string> out;
    const double ambient = readings_.at("ST").signals[0].Mean(seconds);
    for (std::size_t i = 0; i < r.signals.size(); ++i) {
        double v = r.signals[i].At(seconds, rng_);
        if (code == "DV")
            v += 150.0 * ConcentrationMean(seconds);
        else if (code == "TH" && !HeaterOn())
            v = v - r.signals[i].level_ + ambient;  // a cold heater sits at the room's temperature
        else if (code == "TH" && r.signals.size() == 1)
            v = v - r.signals[i].level_ + Number("TG", 0, r.signals[i].level_);
        else if (code == "PW" && !HeaterOn())
            v = 0.0;
        out.push_back(SimText::FormatFixed(v, r.decimals));
    }
    return Join(out, ',');
}

std::optional<std::string> SensorModule::Answer(const std::string& line, double seconds)
{
    if (line.size() < 5 || line[0] != '@')
        return std::string(kRefuseCommand);
    const std::string prefix = line.substr(1, 2);
    const std::string code = line.substr(3, 2);
    std::string rest = line.substr(5);
    if (!rest.empty() && rest[0] != ' ')
        return std::string(kRefuseCommand);
    rest = SimText::Trim(rest);
    std::vector<std::string> args;
    if (!rest.empty())
        args = SimText::SplitCommas(rest);

    if (prefix == "RR") {
        if (!args.empty())
            return std::string(kRefuseArgument);
        return ReadCommand(code, seconds);
    }
    if (prefix == "RD") {
        if (!args.empty())
            return std::string(kRefuseArgument);
        if (code == "AA")
            return "@ADAA " + std::to_string(daa_);
        if (code == "SF")
            return "@ADSF " + Parameter("SF");
        return std::string(kRefuseCommand);
    }
    if (prefix == "WC" || prefix == "CS" || prefix == "WM") {
        const bool isWrite = prefix == "WC";
        const bool known = prefix == "WM" ? code == "MC"
            : isWrite ? ((Writable().count(code) != 0 && HasParameter(code))
                          || ((code == "L1" || code == "LS") && IsLogKind(kind_)))
                      : (code == "MC" || ((code == "C1" || code == "C2") && HasParameter(code))
                          || ((code == "BB" || code == "R0") && HasParameter(code)));
        if (!known)
            return std::string(kRefuseCommand);
        const std::string& password = prefix == "WM" ? manufacturerPassword_ : calibrationPassword_;
        if (args.empty() || password.empty() || args[0] != password)
            return std::string(kRefusePassword);
        args.erase(args.begin());
        if (prefix == "WM") {
            if (args.size() != 1 || args[0] != "1")
                return std::string(kRefuseArgument);
            factory_ = params_;
            return std::string("@RAMC 1");
        }
        return isWrite ? WriteCommand(code, args, seconds) : CalibrationCommand(code, args, seconds);
    }
    if (prefix == "MW" && code == "CH") {
        long long ch = 0;
        if (args.size() != 1 || !SimText::ParseInt(args[0], ch) || !multigas_->SelectChannel(static_cast<int>(ch)))
            return std::string(kRefuseArgument);
        return "@MACH " + std::to_string(ch);
    }
    if (prefix == "MR" && code == "DF") {
        if (!args.empty())
            return std::string(kRefuseArgument);
        return "@MADF " + Join(multigas_->ReportFields(seconds), ',');
    }
    return std::string(kRefuseCommand);
}

std::optional<std::string> SensorModule::ReadCommand(const std::string& code, double seconds)
{
    if (code == "ID")
        return "@RAID " + std::to_string(modbusId_);
    if (code == "HA")
        return "@RAHA " + std::to_string(hartAddress_);
    if (readings_.count(code) != 0) {
        auto err = errorWords_.find(code);
        if (err != errorWords_.end())
            return "@ER" + code + " 63," + err->second;
        return "@RA" + code + " " + ReadingText(code, seconds);
    }
    if (code == "SF" || !HasParameter(code))
        return std::string(kRefuseCommand);
    return "@RA" + code + " " + Parameter(code);
}

std::optional<std::string> SensorModule::WriteCommand(const std::string& code, const std::vector<std::string>& args, double seconds)
{
    if (code == "L1") {
        if (args.size() != 1 || args[0] != "1")
            return std::string(kRefuseArgument);
        if (log_.empty())
            return std::string(kRefuseLog);
        std::string line = log_.front();
        log_.pop_front();
        return line;
    }
    if (code == "LS") {
        long long cond = 0;
        long long channel = 0;
        if (args.size() != 2 || !SimText::ParseInt(args[0], cond) || !SimText::ParseInt(args[1], channel)
            || cond < 0 || cond > 1 || channel < 0 || channel > 1)
            return std::string(kRefuseArgument);
        StartLog(seconds);
        return "@RALS " + std::to_string(cond) + "," + std::to_string(channel);
    }
    if (args.size() != FieldsOf(code))
        return std::string(kRefuseArgument);
    for (const std::string& a : args) {
        double d = 0;
        if (!SimText::ParseDouble(a, d) || !std::isfinite(d))
            return std::string(kRefuseArgument);
    }
    std::string value = Join(args, ',');
    if (code == "WH") {
        long long v = 0;
        if (!SimText::ParseInt(args[0], v) || (v != 0 && v != 1))
            return std::string(kRefuseArgument);
        value = std::to_string(v);
    }
    if (code == "LP") {
        for (std::size_t i = 0; i < 3; ++i) {
            long long v = 0;
            if (!SimText::ParseInt(args[i], v) || v < 0 || v > 6)
                return std::string(kRefuseArgument);
        }
        long long period = 0;
        if (!SimText::ParseInt(args[3], period) || period < 0 || period > 9999)
            return std::string(kRefuseArgument);
    }
    if (code == "LE") {
        double d = 0;
        SimText::ParseDouble(args[0], d);
        value = SimText::FormatFixed(d, 1);
    }
    params_[code] = value;
    if ((code == "WH" && value != "0") || code == "TG")
        StartLog(seconds);
    return "@RA" + code + " " + value;
}

std::optional<std::string> SensorModule::CalibrationCommand(const std::string& code, const std::vector<std::string>& args, double seconds)
{
    if (args.size() != 1)
        return std::string(kRefuseArgument);
    double d = 0;
    if (!SimText::ParseDouble(args[0], d) || !std::isfinite(d))
        return std::string(kRefuseArgument);
    if (code == "MC") {
        if (args[0] != "1")
            return std::string(kRefuseArgument);
        params_ = factory_;
        return std::string("@RAMC 1");
    }
    if (code == "C1" || code == "C2") {
        // The sensor takes its present signal as the signal of this point
        // and from now on reads the applied gas as the given concentration.
        const std::string point = code.substr(1);
        params_["C" + point] = SimText::Trim(args[0]);
        if (UsesS(kind_)) {
            const double rp = readings_.count("RP") != 0 ? readings_["RP"].signals[0].At(seconds, rng_)
                                                          : readings_["RH"].signals[0].At(seconds, rng_) * 12.9;
            params_["S" + point] = SimText::FormatFixed(rp, 1);
        } else {
            const double adc = readings_["DV"].signals[0].At(seconds, rng_) + 150.0 * ConcentrationMean(seconds);
            params_["V" + point] = SimText::FormatFixed(adc / 16384.0, 3);
        }
        LiveSignal& s = readings_["DT"].signals[0];
        s.level_ = d;
        s.origin_ = seconds;
        return "@RAC" + point + " " + params_["C" + point];
    }
    if (code == "BB") {
        std::uniform_int_distribution<int> spread(-12, 12);
        params_["BB"] = std::to_string(2048 + spread(rng_));
        return "@RABB " + params_["BB"];
    }
    if (code == "R0") {
        const double kt = Number("KT", 0, 0.003);
        const double factor = 1.0 + kt * (d - 20.0);
        if (factor <= 0.0)
            return std::string(kRefuseArgument);
        if (kind_ == kTcatPwr) {
            const double cat = readings_["RH"].signals[0].At(seconds, rng_) * 0.75;
            const double plt = readings_["RH"].signals[1].At(seconds, rng_) * 0.75;
            const std::string cat20 = SimText::FormatFixed(cat / factor, 2);
            const std::string plt20 = SimText::FormatFixed(plt / factor, 2);
            params_["R0"] = cat20 + "," + plt20;
            return "@RAR0 " + SimText::FormatFixed(cat, 2) + "," + SimText::FormatFixed(plt, 2) + "," + cat20 + "," + plt20;
        }
        const double r = readings_["RP"].signals[0].At(seconds, rng_) * 1.8;
        const std::string r20 = SimText::FormatFixed(r / factor, 1);
        params_["R0"] = r20;
        return "@RAR0 " + SimText::FormatFixed(r, 1) + "," + r20;
    }
    return std::string(kRefuseCommand);
}

void SensorModule::StartLog(double seconds)
{
    log_.clear();
    const double tg = Number("TG", 0, 400.0);
    const double ambient = readings_.at("ST").signals[0].Mean(seconds);
    const double mp = Number("MP", 0, 7600.0);
    const double kt = Number("KT", 0, 0.003);
    const double r0 = Number("R0", 0, 2480.0);
    const bool pwr = kind_ == kTcatPwr;
    for (std::size_t i = 0; i < logRecords_; ++i) {
        // The heater warms up towards its set temperature; the other
        // quantities follow it.
        const double warm = 1.0 - std::exp(-static_cast<double>(i) / 4.0);
        const double th = ambient + (tg - ambient) * warm;
        const double rh = (pwr ? 10.5 : 9.2) * (1.0 + kt * (th - 20.0));
        const double pwm = mp * (0.3 + 0.6 * (1.0 - warm));
        std::vector<std::string> fields;
        for (std::size_t f = 0; f < 3; ++f) {
            long long p = 0;
            const auto lp = SimText::SplitCommas(Parameter("LP"));
            if (f < lp.size())
                SimText::ParseInt(lp[f], p);
            std::string v;
            if (pwr) {
                switch (p) {
                case 2: v = SimText::FormatFixed(1800.0 + 900.0 * warm, 0); break;
                case 3: v = SimText::FormatFixed(2100.0 + 40.0 * std::sin(static_cast<double>(i)), 0); break;
                case 4: v = SimText::FormatFixed(pwm, 0); break;
                case 5: v = SimText::FormatFixed(rh, 3); break;
                case 6: v = SimText::FormatFixed(th, 1); break;
                default: break;
                }
            } else {
                switch (p) {
                case 1: v = SimText::FormatFixed(0.2 + 0.25 * warm, 4); break;
                case 2: v = SimText::FormatFixed(0.05 + 0.4 * warm, 4); break;
                case 3: v = SimText::FormatFixed(1.1 + 1.8 * warm, 3); break;
                case 4: v = SimText::FormatFixed(pwm, 0); break;
                case 5: v = SimText::FormatFixed(r0 * (1.6 - 0.6 * warm), 1); break;
                case 6: v = SimText::FormatFixed(rh, 3); break;
                default: break;
                }
            }
            // The sensor sends the selected quantities side by side and
            // leaves out those set to none; the line keeps its three fields.
            if (!v.empty())
                fields.push_back(v);
        }
        fields.resize(3);
        log_.push_back(Join(fields, ';'));
    }
}
