#include "operator_steps.h"

#include "cp949_text.h"
#include "expectations.h"
#include "zorik_texts.h"

namespace zorik::e2e {

const QuietExit kQuietExits[2] = {
    {"Esc", [](const MainDialog& dialog) { dialog.pressKey(VK_ESCAPE); }},
    {"close box", [](const MainDialog& dialog) { dialog.pressCloseBox(); }},
};

::testing::AssertionResult startLoopbackTest(ZorikSession& zorik) {
    const MainDialog& dialog = zorik.dialog();
    dialog.click(kTestButton);
    return showsText(dialog, kTestButton, cp949(kTestRunningCaption));
}

::testing::AssertionResult stopLoopbackTest(ZorikSession& zorik, Millis timeout) {
    const MainDialog& dialog = zorik.dialog();
    dialog.click(kTestButton);
    return showsText(dialog, kTestButton, cp949(kTestIdleCaption), timeout);
}

::testing::AssertionResult asksToSave(ZorikSession& zorik, std::optional<MessageBoxWindow>& box) {
    zorik.dialog().click(kExitButton);
    auto shown = showsMessageBox(zorik, kDialogCaption, kSaveQuestion, box);
    if (!shown)
        return shown;
    if (!box->hasButton(IDYES) || !box->hasButton(IDNO))
        return ::testing::AssertionFailure() << "the save question lacks its yes or no button";
    return ::testing::AssertionSuccess();
}

std::optional<std::string> saveAndLeave(ZorikSession& zorik) {
    std::optional<MessageBoxWindow> question;
    EXPECT_TRUE(asksToSave(zorik, question));
    if (!question)
        return std::nullopt;
    EXPECT_TRUE(question->answer(IDYES, kReactionTimeout));
    EXPECT_TRUE(endsWithoutAsking(zorik));
    return zorik.dir().readFile(kReportName);
}

} // namespace zorik::e2e
