#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/unkey_hotkey.h"
#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

using namespace hotkey_flags;

constexpr std::uint16_t kCtrlAltF9 = 0x0678;  // HOTKEYF_CONTROL | HOTKEYF_ALT, VK_F9

class UnkeyHotkeyTest : public FormFixture {
  protected:
    UnkeyHotkey hotkey{store, events, window};

    long count(const std::string& text) const {
        const auto texts = eventTexts();
        return std::count(texts.begin(), texts.end(), text);
    }
};

TEST(UnkeyHotkeyWord, ControlFlagsMapToModifiersWithNoRepeatAndOnlyPlainWordsAreUnderstood) {
    EXPECT_EQ(registrationOf(0x0078).modifiers, kModNoRepeat);
    EXPECT_EQ(registrationOf(0x0078).virtualKey, 0x78U);
    EXPECT_EQ(registrationOf(kShift << 8 | 0x41).modifiers, kModShift | kModNoRepeat);
    EXPECT_EQ(registrationOf(kControl << 8 | 0x41).modifiers, kModControl | kModNoRepeat);
    EXPECT_EQ(registrationOf(kAlt << 8 | 0x41).modifiers, kModAlt | kModNoRepeat);
    // The extended flag names the key's form, not a modifier: the virtual key tells it already.
    EXPECT_EQ(registrationOf((kExtended | kShift) << 8 | 0x2E).modifiers, kModShift | kModNoRepeat);
    EXPECT_EQ(unkeyKeyText(kCtrlAltF9), "Ctrl+Alt+F9");
    EXPECT_EQ(unkeyKeyText(kShift << 8 | 0xBA), "Shift+key 0xBA");

    for (const char* none : {"0", "", "   "}) EXPECT_EQ(unkeyKeyFromText(none), 0U) << none;
    EXPECT_EQ(unkeyKeyFromText(" 1656 "), kCtrlAltF9);
    // Not a number, beyond 16 bits, a flag the control never sets (0x10), flags without a key.
    for (const char* bad : {"abc", "-1", "+1656", "0x678", "16.5", "65536", "99999999999", "4161", "1536"}) {
        EXPECT_EQ(unkeyKeyFromText(bad), std::nullopt) << bad;
    }
}

TEST_F(UnkeyHotkeyTest, ChosenKeyIsStoredAtOnceRegisteredAndReadBackAtTheNextStart) {
    EXPECT_EQ(hotkey.choose(kCtrlAltF9), "");
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "1656");
    EXPECT_TRUE(log.contains("registerKey(16387,120)"));  // MOD_NOREPEAT | MOD_CONTROL | MOD_ALT, F9
    EXPECT_EQ(count("unkey hotkey Ctrl+Alt+F9: registered"), 1);

    FakeWindow nextWindow{log};
    UnkeyHotkey nextRun{store, events, nextWindow};
    nextRun.load();
    EXPECT_EQ(nextRun.word(), kCtrlAltF9);
    EXPECT_TRUE(nextWindow.hotkey);

    EXPECT_EQ(hotkey.choose(0), "");  // an empty control: no hotkey
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "0");
    EXPECT_FALSE(window.hotkey);
}

TEST_F(UnkeyHotkeyTest, ValueNotUnderstoodIsLoggedOnceAtStartUpAndRegistersNothing) {
    hotkey.load();  // nothing stored: nothing registered, nothing stored
    store.put("Win", "UnkeyKey", "ctrl+F9");
    hotkey.load();
    EXPECT_EQ(hotkey.word(), 0U);
    EXPECT_EQ(log.indexOf("registerKey"), -1);
    EXPECT_EQ(count("stored Win/UnkeyKey = \"ctrl+F9\" not understood: no unkey hotkey"), 1);
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "ctrl+F9");
}

TEST_F(UnkeyHotkeyTest, KeyAnotherProgramHoldsIsLoggedAndToldToTheDialogAndZeltGoesOn) {
    log.failing.insert("registerKey");
    const std::string problem = hotkey.choose(kCtrlAltF9);
    EXPECT_NE(problem.find("registerKey told to fail"), std::string::npos) << problem;
    EXPECT_EQ(store.get("Win", "UnkeyKey"), "1656");  // stored all the same, tried at each start
    EXPECT_EQ(count("unkey hotkey Ctrl+Alt+F9: not registered, zelt goes on without it: " + problem), 1);
}

// The operator's unkey holds against the host as the time limit's does: a host that keeps keying
// cannot undo it, until it unkeys or the operator keys by hand.
TEST_F(UnkeyHotkeyTest, PressUnkeysAndHoldsTheHostOffUntilItUnkeysOrTheOperatorKeys) {
    startUp();
    form.chooseSound(true);
    form.hostRequest(0, 1);
    form.unkeyByHotkey();
    EXPECT_FALSE(form.transmitting());
    EXPECT_EQ(window.played, (std::vector<std::string>{"transmitting", "receiving"}));
    EXPECT_EQ(count("unkeyed by the hotkey: wrote 00 00 00 00 0F"), 1);
    for (int i = 0; i < 3; ++i) EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_EQ(eventTexts().back(),
              "host: request 0, state 1: failed: refused while the hotkey's unkey holds [code 70]");
    EXPECT_EQ(
        count("hotkey: the host's key requests are refused until it unkeys, or the operator keys by hand"),
        1);
    form.chooseTransmitLimit(0);  // the limit's own Off leaves the operator's hold
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    form.hostRequest(0, 0);
    form.hostRequest(0, 1);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock + kOnBlock);

    form.unkeyByHotkey();
    form.indicatorClicked();  // the operator keys by hand: the hold ends
    form.menuTransmit();
    form.unkeyByHotkey();  // while receiving: said so, and the host is held off all the same
    EXPECT_EQ(eventTexts().back(), "unkeyed by the hotkey: the radio was receiving");
    EXPECT_THROW(form.hostRequest(0, 1), Failure);
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOffBlock + kOnBlock + kOffBlock + kOnBlock + kOffBlock);
}

// A key request that a message box held up never keys the radio after the operator's unkey.
TEST_F(UnkeyHotkeyTest, PressWhileAMessageBoxHoldsThePortUnkeysAtOnceAndDropsTheHeldKey) {
    startUp();
    form.hostRequest(0, 1);
    store.put("Com", "Settings", "bad");
    window.onShow = [this] {
        EXPECT_THROW(form.hostRequest(0, 1), Failure);
        form.unkeyByHotkey();
        EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    };
    form.lineSettingsLeft();  // "Invalid comport settings"
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

}  // namespace
}  // namespace zelt::testing
