// The server's choice of the host variant, by the name of the executable it runs in (what
// each variant does is seen through the loaded module in tests/addin).
#include "VXServerModule.h"

#include <gtest/gtest.h>

TEST(RoseExecutable, IsRecognisedByTheLastEightCharactersInAnyCase)
{
    const struct
    {
        const wchar_t* path;
        bool rose;
    } cases[] = {
        {L"C:\\Program Files\\Rational\\Rose\\rose.exe", true},
        {L"C:\\Tools\\MyRose.EXE", true},
        {L"ROSE.EXE", true},
        {L"c:\\x\\RoSe.ExE", true},
        {L"C:\\Program Files\\Visual Modeler\\vm.exe", false},
        {L"C:\\Rose\\rose.ex", false},
        {L"C:\\Rose\\rose.exe.bak", false},
        {L"rose.exe ", false},
        {L"ose.exe", false},
        {L"", false},
        {nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.rose, CVXServerModule::IsRoseExecutable(c.path)) << (c.path ? c.path : L"(null)");
}
