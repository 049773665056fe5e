#include "TestSupport.h"
#include "model/Diagnostics.h"

#include <gtest/gtest.h>

namespace tavu {
namespace {

// The messages about one record echo its line first (empty for a line outside the text);
// the others stand alone. The two out-of-range texts no model reaches through the reader.
TEST(Diagnostics, RecordMessagesEchoTheirLine)
{
    Analysis a;
    SplitModelText(a, "GRID 1 0 0\r\nBEAM 12 5 5 1 1 $ twice grid 5\r\nENDMODEL");
    Diagnose(a, Msg::DuplicateGrid, 12, 2);
    Diagnose(a, Msg::InputOrder, 0, 2);
    Diagnose(a, Msg::PropIdOutOfRange, -6, 77);
    Diagnose(a, Msg::MatlIdOutOfRange, 2, 0);
    Diagnose(a, Msg::BeamGridMissing, 5, 2);
    EXPECT_EQ(a.State.FatalText, "BEAM 12 5 5 1 1 $ twice grid 5\r\n... Grid 12 a duplicate\r\n"
                                 "Input order is wrong\r\n"
                                 "\r\n... Prop-6 not found\r\n"
                                 "\r\n... Matl 2 not found\r\n"
                                 "Grid 5 of beam 2 not found\r\n");
}

} // namespace
} // namespace tavu
