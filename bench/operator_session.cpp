#include "operator_session.h"

#include <stdexcept>

#include "cp949_text.h"
#include "log_text.h"
#include "message_box.h"
#include "zorik_texts.h"

namespace zorik::bench {
namespace {

void waitForCaption(e2e::ZorikSession& zorik, const char* utf8Caption, e2e::Millis timeout) {
    const std::string wanted = e2e::cp949(utf8Caption);
    const e2e::MainDialog& dialog = zorik.dialog();
    if (!e2e::waitUntil([&] { return dialog.text(e2e::kTestButton) == wanted; }, timeout,
                        e2e::Millis(10)))
        throw std::runtime_error("the Test button did not show " + e2e::quotedText(wanted) +
                                 " within " + std::to_string(timeout.count()) + " ms; it shows " +
                                 e2e::quotedText(dialog.text(e2e::kTestButton)));
}

} // namespace

void startLoopbackTest(e2e::ZorikSession& zorik) {
    zorik.dialog().click(e2e::kTestButton);
    waitForCaption(zorik, e2e::kTestRunningCaption, e2e::kReactionTimeout);
}

void startStationUnit(e2e::ZorikSession& zorik, const char* serial) {
    zorik.dialog().typeLine(e2e::kSerialField, serial);
    waitForCaption(zorik, e2e::kTestRunningCaption, e2e::kReactionTimeout);
}

void stopLoopbackTest(e2e::ZorikSession& zorik) {
    zorik.dialog().click(e2e::kTestButton);
    waitForCaption(zorik, e2e::kTestIdleCaption, e2e::kCycleEndTimeout);
}

unsigned long leave(e2e::ZorikSession& zorik, bool save) {
    zorik.dialog().click(e2e::kExitButton);
    auto question = e2e::MessageBoxWindow::waitFor(zorik.processId(), e2e::kReactionTimeout);
    if (!question)
        throw std::runtime_error("the exit button did not ask whether to save");
    if (!question->answer(save ? IDYES : IDNO, e2e::kReactionTimeout))
        throw std::runtime_error("the save question did not go when answered");
    const auto code = zorik.process().waitForExit(e2e::kExitTimeout);
    if (!code)
        throw std::runtime_error("Zorik did not end after the save question");
    return *code;
}

std::optional<unsigned long> reportedCount(const e2e::ZorikSession& zorik) {
    const auto bytes = zorik.dir().readFile(e2e::kReportName);
    if (!bytes)
        return std::nullopt;
    std::string problem;
    const auto report = e2e::parseReport(*bytes, problem);
    if (!report)
        return std::nullopt;
    return static_cast<unsigned long>(report->count);
}

} // namespace zorik::bench
