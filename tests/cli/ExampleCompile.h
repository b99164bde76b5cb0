// Free Pascal as the judge of the example's regenerated Delphi units, for the tests that
// change the model or the code and want to know the result still compiles.
#pragma once

#include "CliTestSupport.h"

#include <regex>

namespace CliTest {

// Free Pascal as the judge of a regenerated unit: the Delphi folder copied, the zones the
// example needs filled (the implementation's uses, RTTI for published members, a forward
// declaration), Catalog.pas compiled. Its messages when it does not compile; "" when it
// does or fpc is not installed.
inline std::string FpcErrors(const fs::path& delphi, const fs::path& scratch)
{
    if (std::system("fpc -iV >/dev/null 2>&1") != 0)
        return "";
    fs::remove_all(scratch);
    fs::copy(delphi, scratch, fs::copy_options::recursive);
    auto fill = [&](const char* file, const std::string& scope, const std::string& tag, const std::string& text) {
        std::string unit = ReadFile(scratch / file);
        const std::regex marker("//## begin " + scope + "%[0-9A-F]+\\." + tag + " preserve=yes\r?\n");
        std::smatch m;
        if (std::regex_search(unit, m, marker))
            WriteFile(scratch / file, unit.insert(static_cast<size_t>(m.position(0) + m.length(0)), text));
    };
    fill("Catalog.pas", "Catalog", "iuses", "uses\r\n  SysUtils;\r\n");
    fill("Catalog.pas", "TItem", "preface", "  {$M+}\r\n");
    fill("Members.pas", "TMember", "preface", "  TLoan = class;\r\n");
    fs::create_directories(scratch / "o");
    const std::string s = scratch.string(), log = (scratch / "fpc.log").string();
    if (std::system(("fpc -Mdelphi -FE" + s + "/o -Fu" + s + " -Fu" + s + "/Search " + s + "/Catalog.pas >" + log +
                     " 2>&1").c_str()) == 0)
        return "";
    return ReadFile(log);
}

} // namespace CliTest
