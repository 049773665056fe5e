#include "TestSupport.h"
#include "model/Diagnostics.h"

#include <gtest/gtest.h>
#include <string>

namespace tavu {
namespace {

using testing::ProcessModel;

// The messages the intake tests do not meet through a model (the others are checked
// where the reader raises them), and the codes without a message.
TEST(Diagnostics, MessagesOfTheRarerCodes)
{
    struct Case
    {
        Msg code;
        int first, second;
        const char* message;
    } cases[] = {
        // clang-format off
        {Msg::GridNumberMissing, -3, 9, "... Grid number-3 not found"},
        {Msg::PropIdOutOfRange, 6, 2, "... Prop 6 not found"},
        {Msg::MatlIdOutOfRange, 2, 2, "... Matl 2 not found"},
        {Msg::InputOrder, 0, 0, "Input order is wrong"},
        {Msg::QuadNotCounterClockwise, 4, 0, "Quad 4 grids not counter-clockwise order"},
        {Msg::TooManySubcases, 10, 0, "Number of subcases exceeds maximum of 10"},
        // clang-format on
    };
    for (const Case& c : cases)
        EXPECT_EQ(DiagnosticMessage(c.code, c.first, c.second), c.message)
            << static_cast<int>(c.code);
}

TEST(Diagnostics, CodesUpToEightEchoTheirLine)
{
    Analysis a;
    SplitModelText(a, "GRID 1 0 0\r\nBEAM 12 5 5 1 1 $ twice grid 5\r\nENDMODEL");
    Diagnose(a, Msg::DuplicateGrid, 12, 2);
    Diagnose(a, Msg::InputOrder, 33, 0);
    Diagnose(a, Msg::BadRecord, 0, 77); // a line outside the text echoes an empty line
    Diagnose(a, Msg::BadRecord, 0, -1);
    Diagnose(a, Msg::BeamGridMissing, 5, 2);
    EXPECT_EQ(a.State.FatalText, "BEAM 12 5 5 1 1 $ twice grid 5\r\n"
                                 "... Grid 12 a duplicate\r\n"
                                 "Input order is wrong for record 33\r\n"
                                 "\r\n... Bad record... check syntax\r\n"
                                 "\r\n... Bad record... check syntax\r\n"
                                 "Grid 5 of beam 2 not found\r\n");
}

// Three bad lines in a model give three echoes, each followed by its message, in line
// order, whichever pass finds them.
TEST(Diagnostics, EchoesComeInLineOrder)
{
    Analysis a;
    EXPECT_FALSE(ProcessModel(a, {"GRID 3 0 0 $ id above the number of grids", "GRID 1 0 0",
                                  "GRAB 1 2", "BEAM 1 1 1 1 1", "PROP 1 1 1", "MATL 1 1",
                                  "DOFS DEF 1 1 1", "RACT 1 1 1 1", "ENDMODEL"}));
    EXPECT_EQ(a.State.FatalText, "GRID 3 0 0 $ id above the number of grids\r\n"
                                 "... Bad record... check syntax\r\n"
                                 "GRAB 1 2\r\n"
                                 "... Bad record... check syntax\r\n"
                                 "BEAM 1 1 1 1 1\r\n"
                                 "... Grid 1 a duplicate\r\n");
}

} // namespace
} // namespace tavu
