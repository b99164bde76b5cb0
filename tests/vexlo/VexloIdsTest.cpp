// The identities in Vexlo.idl are those of VexloIds.h (the registration tests check the
// registry scripts' keys).
#include "VexloIds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

namespace
{
    std::string ReadSource(const std::string& relative)
    {
        std::ifstream in(std::string(VEXLO_SOURCE_DIR) + "/" + relative, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::string GuidText(const GUID& guid)
    {
        wchar_t wide[40] = {};
        StringFromGUID2(guid, wide, 40);
        std::string text;
        for (const wchar_t* p = wide; *p; ++p)
            text += static_cast<char>(*p);
        return text.substr(1, 36);  // without the braces
    }

    std::string Upper(std::string s)
    {
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    }

    // name -> uuid of every library, interface, dispinterface and coclass of the IDL.
    std::map<std::string, std::string> IdlUuids(const std::string& idl)
    {
        std::map<std::string, std::string> ids;
        std::regex declaration(R"(uuid\(([0-9A-Fa-f-]{36})\)[^\]]*\]\s*(library|interface|dispinterface|coclass)\s+(\w+))");
        for (auto it = std::sregex_iterator(idl.begin(), idl.end(), declaration); it != std::sregex_iterator(); ++it)
            ids[(*it)[3]] = Upper((*it)[1]);
        return ids;
    }
}

TEST(VexloIds, IdlDeclaresTheHeadersIdentities)
{
    const std::string idl = ReadSource("Vexlo/Vexlo.idl");
    ASSERT_FALSE(idl.empty());
    const auto ids = IdlUuids(idl);
    const std::map<std::string, std::string> expected = {
        {"VexloLib", GuidText(LIBID_VexloLib)},
        {"VXRoseDelphiAddin", GuidText(CLSID_VXRoseDelphiAddin)},
        {"VXRoseCSharpAddin", GuidText(CLSID_VXRoseCSharpAddin)},
        {"IVXRoseDelphiAddin", GuidText(IID_IVXRoseDelphiAddin)},
        {"IVXRoseCSharpAddin", GuidText(IID_IVXRoseCSharpAddin)},
        {"_IVXRoseDelphiAddinEvents", GuidText(DIID__IVXRoseDelphiAddinEvents)},
        {"_IVXRoseCSharpAddinEvents", GuidText(DIID__IVXRoseCSharpAddinEvents)},
        // The host's application interface, as the host declares it.
        {"IRoseApplication", IdlUuids(ReadSource("hostapi/RoseHost.idl"))["IRoseApplication"]},
    };
    for (const auto& [name, guid] : expected)
        EXPECT_EQ(guid, ids.count(name) ? ids.at(name) : "<missing>") << name;
    EXPECT_NE(std::string::npos, idl.find("helpstring(\"Vexlo 1.0 Type Library\")"));
    EXPECT_NE(std::string::npos, idl.find("version(1.0)"));
    std::map<std::string, int> seen;
    for (const auto& [name, guid] : ids)
        EXPECT_EQ(1, ++seen[guid]) << name << ": all identities are different";
}
