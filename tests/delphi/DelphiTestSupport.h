// Helpers for the Delphi generator's tests: the shared generation helpers with the
// tool "Delphi".
#pragma once

#include "GenerationTestSupport.h"

namespace DelphiTest {

using namespace GenTest;

struct ModelBuilder : GenTest::ModelBuilder {
    static void Set(Element* element, const std::wstring& name, const std::wstring& value)
    {
        SetProperty(element, L"Delphi", name, value);
    }
};

class GenerationTest : public GenTest::GenerationTest {
protected:
    GenerationTest() : GenTest::GenerationTest(L"Delphi") {}
};

} // namespace DelphiTest
