// Tests of the refusal table: the headless layer, which the other tests run on, and the
// live layer, which the viewer runs, refuse the same misuses of the win32.h calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "support/live_session.h"
#include "support/refusal_table.h"

namespace {

const std::string kProbe = std::string(KELVO_BIN_DIR) + "/kelvo_refusal_probe";

// The outcome each row must have, in row order.
std::vector<std::string> TableOutcomes() {
    std::vector<std::string> outcomes;
    for (const RefusalRow& row : RefusalRows()) outcomes.push_back(OutcomeName(row.mustRefuse));
    return outcomes;
}

void ExpectTableOutcomes(const std::vector<std::string>& outcomes, const std::string& context) {
    const std::vector<std::string> wanted = TableOutcomes();
    ASSERT_EQ(wanted.size(), outcomes.size());
    for (std::size_t i = 0; i < wanted.size(); ++i)
        EXPECT_EQ(wanted[i], outcomes[i]) << RefusalRows()[i].name << context;
}

}  // namespace

TEST(RefusalTable, HeadlessLayerAnswersEveryRowAsTheTableSays) {
    std::vector<std::string> outcomes;
    for (const RefusalRow& row : RefusalRows()) {
        headless::Reset();
        outcomes.push_back(OutcomeName(row.refused()));
    }
    headless::Reset();
    ExpectTableOutcomes(outcomes, "");
}

TEST(RefusalTable, LiveLayerAnswersEveryRowAsTheTableSays) {
    PrivateDisplay display(false);
    ASSERT_TRUE(display.Ready()) << display.Problem();
    std::string output;
    ASSERT_EQ(0, RunTool(display.Name(), {kProbe}, &output)) << output;
    ExpectTableOutcomes(OutcomesIn(output), "\nprobe output:\n" + output);
}

// A probe that stops early, or prints a row twice, does not pass for one that agrees.
TEST(RefusalTable, ProbeOutputWithMissingOrRepeatedRowsIsNoAnswer) {
    const std::vector<RefusalRow>& rows = RefusalRows();
    std::string output = "SDL noise on stderr\n";
    for (std::size_t i = 1; i < rows.size(); ++i)
        output += RefusalLine(rows[i], rows[i].mustRefuse) + "\n";
    output += RefusalLine(rows[1], !rows[1].mustRefuse);
    const std::vector<std::string> outcomes = OutcomesIn(output);
    ASSERT_EQ(rows.size(), outcomes.size());
    EXPECT_EQ("missing", outcomes[0]);
    EXPECT_EQ("twice", outcomes[1]);
    EXPECT_EQ(OutcomeName(rows[2].mustRefuse), outcomes[2]);
}

// A window refused by its own WM_CREATE leaves nothing behind, as in the live layer: no
// WM_DESTROY, the window created before it is still the show's, the handle is unknown.
TEST(RefusalTable, WindowRefusedByItsProcedureLeavesNoRecord) {
    headless::Reset();
    static HWND refusedDuringCreate = nullptr;
    static int destroyMessages = 0;
    WNDCLASSA plain = {};
    plain.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return DefWindowProcA(window, message, wParam, lParam);
    };
    plain.lpszClassName = "plain";
    WNDCLASSA refusing = plain;
    refusing.lpfnWndProc = [](HWND window, UINT message, WPARAM, LPARAM) -> LRESULT {
        if (message == WM_DESTROY) ++destroyMessages;
        if (message != WM_CREATE) return 0;
        refusedDuringCreate = window;
        return -1;
    };
    refusing.lpszClassName = "refusing";
    ASSERT_NE(0, RegisterClassA(&plain));
    ASSERT_NE(0, RegisterClassA(&refusing));
    HWND first =
        CreateWindowExA(0, "plain", "", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(nullptr, CreateWindowExA(0, "refusing", "", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr,
                                       nullptr, nullptr));
    ASSERT_NE(nullptr, refusedDuringCreate);
    EXPECT_EQ(first, headless::MainWindow());
    EXPECT_EQ(nullptr, GetDC(refusedDuringCreate));
    EXPECT_FALSE(DestroyWindow(refusedDuringCreate));
    EXPECT_EQ(0, destroyMessages);
    headless::Reset();
}

// SetFocus answers the window it gave the focus to before, as the live layer does, and
// null once that window is gone.
TEST(RefusalTable, SetFocusAnswersTheWindowFocusedBefore) {
    headless::Reset();
    WNDCLASSA plain = {};
    plain.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        return DefWindowProcA(window, message, wParam, lParam);
    };
    plain.lpszClassName = "plain";
    ASSERT_NE(0, RegisterClassA(&plain));
    auto make = [] {
        return CreateWindowExA(0, "plain", "", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr,
                               nullptr);
    };
    HWND first = make();
    HWND second = make();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(nullptr, SetFocus(first));
    EXPECT_EQ(first, SetFocus(second));
    EXPECT_EQ(second, SetFocus(second));
    ASSERT_TRUE(DestroyWindow(second));
    EXPECT_EQ(nullptr, SetFocus(first));
    headless::Reset();
}
