// --info: the plug-in's identity as a host sees it, and the parameter values the options set.

#include "deltamodfacts.h"
#include "programrun.h"
#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

namespace {

// "key:   value" lines, keyed without the colon.
std::map<std::string, std::string> fields(const std::string& text) {
    std::map<std::string, std::string> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        const auto value = line.find_first_not_of(' ', colon + 1);
        found[line.substr(0, colon)] = value == std::string::npos ? "" : line.substr(value);
    }
    return found;
}

std::map<std::string, std::string> info(const std::vector<std::string>& options = {}) {
    std::vector<std::string> args{"--info"};
    args.insert(args.end(), options.begin(), options.end());
    const ProgramRun run = runRender(args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return fields(run.out);
}

// The normalised value on a "parameter N" line.
float valueOf(const std::string& parameterLine) {
    const auto at = parameterLine.find("value ");
    EXPECT_NE(at, std::string::npos) << parameterLine;
    return std::stof(parameterLine.substr(at + 6));
}

std::string quoted(const std::string& text) { return '"' + text + '"'; }

TEST(Info, ShowsTheSlopeCrushRecordAsAHostSeesIt) {
    auto f = info();
    EXPECT_EQ(f["unique ID"], "'Zbrk' (0x5A62726B)");
    EXPECT_EQ(f["inputs"], "2");
    EXPECT_EQ(f["outputs"], "2");
    EXPECT_EQ(f["flags"], "0x0010 canReplacing");
    EXPECT_EQ(f["effect version"], "1");
    EXPECT_EQ(f["VST version"], "2400");
    EXPECT_EQ(f["parameters"], "2");
    EXPECT_EQ(f["initial delay"], "0 frames");
    const std::string module = "/SlopeCrush.so";
    ASSERT_GE(f["plug-in"].size(), module.size());
    EXPECT_EQ(f["plug-in"].substr(f["plug-in"].size() - module.size()), module);
    EXPECT_EQ(valueOf(f["parameter 0"]), 0.25f);
    EXPECT_EQ(valueOf(f["parameter 1"]), 0.95f);

    // The texts are whatever the plug-in answers a host that asks directly.
    RecordingHost host;
    Instance effect(slopeCrushModule());
    EXPECT_EQ(f["name"], effect.text(effGetEffectName));
    EXPECT_EQ(f["vendor"], effect.text(effGetVendorString));
    EXPECT_EQ(f["product"], effect.text(effGetProductString));
    EXPECT_EQ(f["vendor version"], std::to_string(effect.dispatch(effGetVendorVersion)));
    EXPECT_EQ(f["programs"], "1, current " + quoted(effect.text(effGetProgramName)));
    for (VstInt32 i = 0; i < 2; ++i) {
        const std::string line = f["parameter " + std::to_string(i)];
        EXPECT_NE(line.find("name " + quoted(effect.text(effGetParamName, i)) + ", "),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find(", display " + quoted(effect.text(effGetParamDisplay, i)) + ", "),
                  std::string::npos)
            << line;
        EXPECT_NE(line.find(", label " + quoted(effect.text(effGetParamLabel, i))),
                  std::string::npos)
            << line;
    }
}

TEST(Info, RateIndexSelectsExactlyThatRate) {
    for (int i = 0; i < deltamod::kNumRates; ++i) {
        const float pitch = valueOf(info({"--rate-index", std::to_string(i)})["parameter 1"]);
        EXPECT_EQ(deltamod::rateIndexFor(pitch), i) << pitch;
        // Also for a plug-in that multiplies in single precision.
        EXPECT_EQ(static_cast<int>(pitch * 15.0f), i) << pitch;
    }
}

TEST(Info, RateInHertzSelectsTheNearestRate) {
    std::vector<double> asked;
    for (float rate : deltamod::kRatesHz)
        asked.push_back(rate);
    for (double between : {4181.0, 4445.0, 4446.0, 8000.0, 12000.0, 30000.0, 33144.0})
        asked.push_back(between);
    for (double hz : asked) {
        int nearest = 0;
        for (int i = 1; i < deltamod::kNumRates; ++i)
            if (std::fabs(deltamod::kRatesHz[i] - hz) < std::fabs(deltamod::kRatesHz[nearest] - hz))
                nearest = i;
        std::ostringstream text;
        text.precision(9);
        text << hz;
        const float pitch = valueOf(info({"--rate", text.str()})["parameter 1"]);
        EXPECT_EQ(deltamod::rateIndexFor(pitch), nearest) << hz << " Hz";
    }
}

TEST(Info, GainInDecibelsFollowsTheDisplaysScale) {
    const std::pair<const char*, double> cases[] = {
        {"0", 0.25},   {"-inf", 0.0},  {"-oo", 0.0},  {"12.0412", 1.0},   {"+6", 0.49881},
        {"-6", 0.125}, {"-20", 0.025}, {"-400", 0.0}, {"12.04", 0.99976},
    };
    for (const auto& [db, gain] : cases) {
        const float value = valueOf(info({"--gain-db", db})["parameter 0"]);
        EXPECT_NEAR(value, std::pow(10.0, std::atof(db) / 20.0) / 4.0 * (gain > 0.0), 1e-6) << db;
        EXPECT_NEAR(value, gain, 2e-3) << db;
    }
}

TEST(Info, PrintsWhateverAnyPluginAnswers) {
    auto f = info({"--plugin", MOCK_RECORDING_PATH, "--gain", "0.5"});
    EXPECT_EQ(f["name"], "Mock Effect");
    EXPECT_EQ(f["vendor"], "Test Vendor");
    EXPECT_EQ(f["product"], "Mock?[31mProduct") << "a terminal escape got through";
    EXPECT_EQ(f["vendor version"], "4321");
    EXPECT_EQ(f["effect version"], "2400") << "the stand-in reports the host's version answer";
    EXPECT_EQ(f["unique ID"], "'Mock' (0x4D6F636B)");
    EXPECT_EQ(f["parameter 0"], "name \"Left\", value 0.5, display \"50.0\", label \"%\"");
    EXPECT_EQ(f["parameter 1"], "name \"Right\", value 0.5, display \"50.0\", label \"%\"");
}

} // namespace
