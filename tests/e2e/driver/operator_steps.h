// Steps an operator takes that several tests share, each checked on the
// way: starting and stopping the loopback test, leaving through the exit
// button with a given answer.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "message_box.h"
#include "zorik_session.h"

namespace zorik::e2e {

// The ways of leaving that ask nothing: Esc and the title bar's close box.
struct QuietExit {
    const char* name;
    void (*leave)(const MainDialog& dialog);
};
extern const QuietExit kQuietExits[2];

// Presses Test and waits for the running caption.
::testing::AssertionResult startLoopbackTest(ZorikSession& zorik);

// Presses Test again and waits for the loop to finish its cycle and give
// the button its idle caption back.
::testing::AssertionResult stopLoopbackTest(ZorikSession& zorik,
                                            Millis timeout = kCycleEndTimeout);

// Presses the exit button and checks the save question: captioned "Zorik",
// with yes and no.
::testing::AssertionResult asksToSave(ZorikSession& zorik, std::optional<MessageBoxWindow>& box);

// Leaves through the exit button answering yes, and returns the report
// file's bytes, or nothing when there is none.
std::optional<std::string> saveAndLeave(ZorikSession& zorik);

} // namespace zorik::e2e
