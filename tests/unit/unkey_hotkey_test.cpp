#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/unkey_hotkey.h"
#include "fakes/fake_global_hotkey.h"
#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

using namespace hotkey_flags;

constexpr std::uint16_t kCtrlAltF9 = 0x0678;  // HOTKEYF_CONTROL | HOTKEYF_ALT, VK_F9

class UnkeyHotkeyTest : public FormFixture {
  protected:
    FakeGlobalHotkey system{log};
    UnkeyHotkey hotkey{store, events, system};

    bool logged(const std::string& text) const {
        const auto texts = eventTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
    void keyFromHostThenPressHotkey() {
        form.hostRequest(0, 1);
        form.unkeyByHotkey();
    }
};

TEST(UnkeyHotkeyMapping, EachControlFlagBecomesItsModifierWithNoRepeatAndTheLowByteIsTheKey) {
    const HotkeyRegistration plain = registrationOf(0x0078);
    EXPECT_EQ(plain.virtualKey, 0x78U);
    EXPECT_EQ(plain.modifiers, kModNoRepeat);
    EXPECT_EQ(registrationOf(kShift << 8 | 0x41).modifiers, kModShift | kModNoRepeat);
    EXPECT_EQ(registrationOf(kControl << 8 | 0x41).modifiers, kModControl | kModNoRepeat);
    EXPECT_EQ(registrationOf(kAlt << 8 | 0x41).modifiers, kModAlt | kModNoRepeat);
    // The extended flag names the key's form, not a modifier: the virtual key tells it already.
    const HotkeyRegistration all = registrationOf((kShift | kControl | kAlt | kExtended) << 8 | 0x2E);
    EXPECT_EQ(all.modifiers, kModShift | kModControl | kModAlt | kModNoRepeat);
    EXPECT_EQ(all.virtualKey, 0x2EU);
    EXPECT_EQ(unkeyKeyText(kCtrlAltF9), "Ctrl+Alt+F9");
    EXPECT_EQ(unkeyKeyText((kShift | kExtended) << 8 | 0x2E), "Shift+Delete");
    EXPECT_EQ(unkeyKeyText(kShift << 8 | 0xBA), "Shift+key 0xBA");
}

TEST(UnkeyHotkeyText, OnlyAPlainDecimalWordOfTheControlIsUnderstood) {
    for (const char* none : {"0", "", "   "}) EXPECT_EQ(unkeyKeyFromText(none), 0U) << none;
    EXPECT_EQ(unkeyKeyFromText(" 1656 "), kCtrlAltF9);
    EXPECT_EQ(unkeyKeyFromText("120"), 0x78U);  // a key alone, F9
    // Not a number, beyond 16 bits, a flag the control never sets (0x10), flags without a key.
    for (const char* bad : {"abc", "-1", "+1656", "0x678", "16.5", "65536", "99999999999", "4161", "1536"}) {
        EXPECT_EQ(unkeyKeyFromText(bad), std::nullopt) << bad;
    }
}

TEST_F(UnkeyHotkeyTest, ChosenKeyIsStoredAtOnceRegisteredAndReadBackAtTheNextStart) {
    EXPECT_EQ(hotkey.choose(kCtrlAltF9), "");
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "1656");
    ASSERT_TRUE(system.registered);
    EXPECT_EQ(system.registered->modifiers, kModControl | kModAlt | kModNoRepeat);
    EXPECT_TRUE(logged("stored Win/UnkeyKey = \"1656\""));
    EXPECT_TRUE(logged("unkey hotkey Ctrl+Alt+F9: registered"));

    FakeGlobalHotkey nextSystem{log};
    UnkeyHotkey nextRun{store, events, nextSystem};
    nextRun.load();
    EXPECT_EQ(nextRun.word(), kCtrlAltF9);
    ASSERT_TRUE(nextSystem.registered);
    EXPECT_EQ(nextSystem.registered->virtualKey, 0x78U);

    EXPECT_EQ(hotkey.choose(0), "");  // an empty control: no hotkey
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "0");
    EXPECT_FALSE(system.registered);
}

TEST_F(UnkeyHotkeyTest, NothingStoredRegistersNothingAndAValueNotUnderstoodIsLoggedOnce) {
    hotkey.load();
    EXPECT_FALSE(log.contains("registerKey"));
    EXPECT_FALSE(store.has("Win", "UnkeyKey"));  // start-up stores nothing

    store.put("Win", "UnkeyKey", "ctrl+F9");
    UnkeyHotkey typedByHand{store, events, system};
    typedByHand.load();
    EXPECT_EQ(typedByHand.word(), 0U);
    EXPECT_EQ(log.indexOf("registerKey"), -1);
    const auto texts = eventTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "stored Win/UnkeyKey = \"ctrl+F9\" not understood: no unkey hotkey"),
              1);
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "ctrl+F9");
}

TEST_F(UnkeyHotkeyTest, KeyAnotherProgramHoldsIsLoggedAndSaidToTheDialogAndZeltGoesOn) {
    log.failing.insert("registerKey");
    const std::string problem = hotkey.choose(kCtrlAltF9);
    EXPECT_NE(problem.find("registerKey told to fail"), std::string::npos) << problem;
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "1656");  // stored all the same, tried at each start
    EXPECT_FALSE(system.registered);
    EXPECT_TRUE(logged("unkey hotkey Ctrl+Alt+F9: not registered, zelt goes on without it: " + problem));
}

// The operator's unkey holds against the host as the time limit's does: a host that keeps keying
// cannot undo it, until it unkeys or the operator keys by hand.
TEST_F(UnkeyHotkeyTest, HotkeyUnkeysAndHoldsTheHostOffUntilItUnkeys) {
    startUp();
    form.chooseSound(true);
    keyFromHostThenPressHotkey();
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(form.indicator.fillColor(), kGreen);
    EXPECT_EQ(sound.played, (std::vector<std::string>{"transmitting", "receiving"}));
    EXPECT_TRUE(logged("unkeyed by the hotkey: wrote 00 00 00 00 0F"));

    for (int i = 0; i < 3; ++i) EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(eventTexts().back(),
              "host: request 0, state 1: failed: refused while the hotkey's unkey holds [code 70]");
    const auto texts = eventTexts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "hotkey: the host's key requests are refused until it unkeys, or the operator keys "
                         "by hand"),
              1);

    form.chooseTransmitLimit(0);  // the limit's own Off leaves the operator's hold
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    form.hostRequest(0, 0);
    form.hostRequest(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock + kOnBlock);
    EXPECT_TRUE(form.transmitting());
}

TEST_F(UnkeyHotkeyTest, OperatorKeysThroughTheHoldByHandAndAPressWhileReceivingHoldsToo) {
    startUp();
    keyFromHostThenPressHotkey();
    form.indicatorTarget.userClick();  // the operator is at the microphone
    form.hostRequest(0, 1);            // no hold any more
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock + kOnBlock);

    form.menuTransmit();  // receiving
    form.unkeyByHotkey();
    EXPECT_EQ(eventTexts().back(), "unkeyed by the hotkey: the radio was receiving");
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock + kOnBlock + kOffBlock);
}

// A key request that a message box held up never keys the radio after the operator's unkey.
TEST_F(UnkeyHotkeyTest, HotkeyWhileAMessageBoxHoldsThePortUnkeysAtOnceAndDropsTheHeldKey) {
    startUp();
    form.hostRequest(0, 1);
    store.put("Com", "Settings", "bad");
    messages.onShow = [this] {
        EXPECT_THROW(form.hostRequest(0, 1), Failure);
        form.unkeyByHotkey();
        EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    };
    form.lineSettingsBox.userLeave();  // "Invalid comport settings"
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(form.indicator.fillColor(), kGreen);
}

}  // namespace
}  // namespace zelt::testing
