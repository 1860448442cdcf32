// The entry as a host meets it: the version question, the record it hands out, both export names.

#include "recordinghost.h"
#include "slopecrushmodule.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Entry, AsksTheHostForItsVersionFirst) {
    RecordingHost host;
    Instance effect(slopeCrushModule());
    ASSERT_NE(effect.get(), nullptr);
    ASSERT_FALSE(host.calls.empty());
    const HostCall& first = host.calls.front();
    EXPECT_EQ(first.effect, nullptr);
    EXPECT_EQ(first.opcode, audioMasterVersion);
    EXPECT_EQ(first.index, 0);
    EXPECT_EQ(first.value, 0);
    EXPECT_EQ(first.ptr, nullptr);
    EXPECT_EQ(first.opt, 0.0f);
    EXPECT_EQ(host.calls.size(), 1u) << "the entry asks nothing else";
}

TEST(Entry, HostThatAnswersZeroGetsNoEffect) {
    RecordingHost host;
    host.answer(audioMasterVersion, 0);
    EXPECT_EQ(slopeCrushModule().entry()(RecordingHost::callback), nullptr);
    EXPECT_EQ(slopeCrushModule().mainEntry()(RecordingHost::callback), nullptr);
    EXPECT_EQ(host.calls.size(), 2u);
}

TEST(Entry, AnyNonZeroVersionCreatesAnEffect) {
    for (VstIntPtr version : {VstIntPtr{1}, VstIntPtr{2400}, VstIntPtr{-1}, VstIntPtr{2}}) {
        RecordingHost host;
        host.answer(audioMasterVersion, version);
        Instance effect(slopeCrushModule());
        ASSERT_NE(effect.get(), nullptr) << version;
        EXPECT_EQ(effect->magic, kEffectMagic);
        EXPECT_NE(effect->object, nullptr);
    }
}

TEST(Entry, NullCallbackGetsNoEffectInsteadOfACrash) {
    EXPECT_EQ(slopeCrushModule().entry()(nullptr), nullptr);
}

TEST(Entry, EachCallCreatesAnIndependentEffect) {
    RecordingHost host;
    Instance a(slopeCrushModule());
    Instance b(slopeCrushModule());
    ASSERT_NE(a.get(), nullptr);
    ASSERT_NE(b.get(), nullptr);
    EXPECT_NE(a.get(), b.get());
    EXPECT_NE(a->object, b->object);
    a.setParameter(0, 0.75f);
    EXPECT_EQ(a.getParameter(0), 0.75f);
    EXPECT_EQ(b.getParameter(0), 0.25f);
}

TEST(Entry, MainIsTheSameEntry) {
    RecordingHost host;
    ASSERT_NE(slopeCrushModule().mainEntry(), nullptr);
    AEffect* effect = slopeCrushModule().mainEntry()(RecordingHost::callback);
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->magic, kEffectMagic);
    EXPECT_EQ(effect->uniqueID, fourCharCode("Zbrk"));
    EXPECT_EQ(effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f), 1);
}
