#include "TestSupport.h"
#include "model/Diagnostics.h"

#include <gtest/gtest.h>

namespace tavu {
namespace {

// Texts no model reaches through the reader (the model cases check the others): a line
// number outside the text echoes an empty line, and the order message may name no record.
TEST(Diagnostics, TextsNoModelReaches)
{
    Analysis a;
    SplitModelText(a, "GRID 1 0 0\r\nENDMODEL");
    Diagnose(a, Msg::InputOrder, 0, 2);
    Diagnose(a, Msg::PropIdOutOfRange, -6, 77);
    Diagnose(a, Msg::MatlIdOutOfRange, 2, 0);
    EXPECT_EQ(a.State.FatalText, "Input order is wrong\r\n"
                                 "\r\n... Prop-6 not found\r\n"
                                 "\r\n... Matl 2 not found\r\n");
}

} // namespace
} // namespace tavu
