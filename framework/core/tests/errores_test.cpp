#include "framework/core/Errores.h"

#include <gtest/gtest.h>

#include "framework/core/DriverConstants.h"
#include "framework/core/InicioState.h"

namespace korvex {
namespace {

struct ReportCase {
    Deliverable driver;
    bool startedByUser;
    const char* shown;   // message box text; null: raised instead
    const char* source;  // source of the raised error
};

const ReportCase kCases[] = {
    {Deliverable::Rotator, true, "Failed to load TKL.DLL", nullptr},
    {Deliverable::Rotator, false, nullptr, "Korvex Rotator"},
    {Deliverable::Dunmere, true, "Component or DLL missing\nFailed to load TKL.DLL", nullptr},
    {Deliverable::Dunmere, false, nullptr, "Korvex Filter Wheel"},
    {Deliverable::Pellworth, true, "Component or DLL missing\nFailed to load TKL.DLL", nullptr},
    {Deliverable::Pellworth, false, "Component or DLL missing\nFailed to load TKL.DLL", nullptr},
};

TEST(Errores, ReportErrorForms) {
    for (const ReportCase& c : kCases) {
        SCOPED_TRACE(testing::Message()
                     << "driver " << int(c.driver) << " by user " << c.startedByUser);
        InicioState state;
        state.StartedByUser = c.startedByUser;
        ScriptedMessageBoxes boxes;
        Errores errores(ConstantsFor(c.driver).reportError, state, boxes);
        if (c.shown) {
            EXPECT_TRUE(errores.ReportError(err::ComponentMissing, "Component or DLL missing",
                                            "Failed to load TKL.DLL"));
            ASSERT_EQ(boxes.Asked().size(), 1);
            EXPECT_EQ(boxes.Asked()[0].text, c.shown);
            EXPECT_EQ(boxes.Asked()[0].title, "Problem");
            EXPECT_EQ(boxes.Asked()[0].icon, MsgIcon::Critical);
            EXPECT_EQ(boxes.Asked()[0].buttons, MsgButtons::OK);
        } else {
            try {
                errores.ReportError(err::ComponentMissing, "Component or DLL missing",
                                    "Failed to load TKL.DLL");
                ADD_FAILURE() << "no error raised";
            } catch (const KorvexError& e) {
                EXPECT_EQ(e.Number(), 0x80040405u);
                EXPECT_EQ(e.Source(), c.source);
                EXPECT_EQ(e.Description(), "Component or DLL missing\nFailed to load TKL.DLL");
            }
            EXPECT_TRUE(boxes.Asked().isEmpty());
        }
    }
}

TEST(ScriptedMessageBoxes, AnswersFromQueueThenDefault) {
    ScriptedMessageBoxes boxes;
    MessageRequest confirm{"There are still 2 connections active", "Attention", MsgIcon::Warning,
                           MsgButtons::OKCancel};
    boxes.Enqueue(MsgResult::Cancel);
    EXPECT_EQ(boxes.Show(confirm), MsgResult::Cancel);
    EXPECT_EQ(boxes.Show(confirm), MsgResult::OK);  // queue empty: first button
    confirm.defaultButton = MsgResult::Cancel;
    EXPECT_EQ(boxes.Show(confirm), MsgResult::Cancel);
    confirm.defaultButton = MsgResult::Yes;  // not in the set: first button
    EXPECT_EQ(boxes.Show(confirm), MsgResult::OK);
    ASSERT_EQ(boxes.Asked().size(), 4);
    EXPECT_EQ(boxes.Asked()[0].title, "Attention");
}

}  // namespace
}  // namespace korvex
