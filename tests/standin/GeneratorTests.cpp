// The header generator, driven on small interface definitions: what it writes for what it
// reads, and the definitions it refuses.
#include "RoseHostIds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class GeneratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        m_dir = fs::temp_directory_path() / (std::string("hostapi_gen_") + info->name() + "_" +
                                             std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs the generator on `idl`; returns its exit code, the header in `header` and the
    // messages in `messages`.
    int Generate(const std::string& idl)
    {
        fs::path in = m_dir / "Test.idl";
        fs::path out = m_dir / "TestIds.h";
        fs::path err = m_dir / "messages.txt";
        std::ofstream(in) << idl;
        std::string cmd = std::string("\"") + VEXLO_CMAKE_COMMAND + "\" -DIDL=\"" + in.string() + "\" -DOUT=\"" +
                          out.string() + "\" -P \"" + HOSTAPI_GENERATOR + "\" >\"" + err.string() + "\" 2>&1";
        int rc = std::system(cmd.c_str());
        header = Read(out);
        // CMake wraps long messages; compare them with single spaces.
        messages.clear();
        for (char ch : Read(err)) {
            bool space = ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t';
            if (!space)
                messages += ch;
            else if (!messages.empty() && messages.back() != ' ')
                messages += ' ';
        }
        return rc;
    }

    static std::string Read(const fs::path& p)
    {
        std::ifstream f(p);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }

    std::string header;
    std::string messages;

private:
    fs::path m_dir;
};

const char* const kBase = R"(
import "oaidl.idl";
interface IRoseThing;
// A comment with [brackets] and a ; semicolon.
[object, uuid(0a1b2c3d-0001-4000-8000-00000000000A), dual, oleautomation]
interface IRoseItem : IDispatch
{
    [id(0x100), propget] HRESULT Name([out, retval] BSTR* pValue);
    [id(0x100), propput] HRESULT Name([in] BSTR theValue);
    /* several
       lines */
    [id(0x103)] HRESULT GetUniqueID([out, retval] BSTR* pValue);
};
[object, uuid(0A1B2C3D-0002-4000-8000-00000000000B), dual, oleautomation]
interface IRoseThing : IRoseItem
{
    [id(0x200), propget] HRESULT Size([out, retval] short* pValue);
    [id(0x201)] HRESULT Resize([in] short theSize, [in] VARIANT_BOOL keep);
    [id(0x202)] HRESULT Owner([out, retval] IRoseItem** ppItem);
};
)";

TEST_F(GeneratorTest, WritesIdsDispidsAndMemberDescriptions)
{
    ASSERT_EQ(0, Generate(kBase)) << messages;
    const char* expected[] = {
        "inline constexpr GUID IID_IRoseItem = {0x0A1B2C3D, 0x0001, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, "
        "0x0A}};",
        "namespace Item {\ninline constexpr const GUID& Iid = IID_IRoseItem;\nenum : DISPID {\n    Name = 0x100,\n    "
        "GetUniqueID = 0x103,\n};",
        // A derived interface lists the inherited members first, each name once.
        "namespace Thing {\ninline constexpr const GUID& Iid = IID_IRoseThing;\nenum : DISPID {\n    Name = 0x100,\n"
        "    GetUniqueID = 0x103,\n    Size = 0x200,\n    Resize = 0x201,\n    Owner = 0x202,\n};",
        "{L\"Name\", 0x100, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, 1, {VT_BSTR}},",
        "{L\"Resize\", 0x201, DISPATCH_METHOD, VT_EMPTY, nullptr, 2, {VT_I2, VT_BOOL}},",
        "{L\"Owner\", 0x202, DISPATCH_METHOD, VT_DISPATCH, &IID_IRoseItem, 0, {}},",
        "inline constexpr Interface IRoseThing = {L\"IRoseThing\", &IID_IRoseThing, &IRoseItem, IRoseThing_Members, 3};",
    };
    for (const char* text : expected)
        EXPECT_NE(std::string::npos, header.find(text)) << text << "\n--- in ---\n" << header;
}

TEST_F(GeneratorTest, RefusesDefinitionsThatWouldMisleadACaller)
{
    struct Case {
        const char* what;
        std::string from;
        std::string to;
        const char* message;
    } cases[] = {
        {"one name, two ids", "[id(0x202)] HRESULT Owner", "[id(0x203)] HRESULT GetUniqueID", "has id 0x203"},
        {"one id, two names", "[id(0x202)] HRESULT Owner", "[id(0x200)] HRESULT Owner", "already names Size"},
        {"get without result", "HRESULT Size([out, retval] short* pValue)", "HRESULT Size([in] short v)",
         "propget takes only"},
        {"unknown type", "short* pValue", "float* pValue", "unsupported type 'float'"},
        {"base defined later", "interface IRoseThing : IRoseItem", "interface IRoseThing : IRoseOther",
         "not defined before"},
        {"shared uuid", "0A1B2C3D-0002-4000-8000-00000000000B", "0A1B2C3D-0001-4000-8000-00000000000A",
         "reuses the uuid of IRoseItem"},
        {"bad uuid", "0A1B2C3D-0002-4000-8000-00000000000B", "0A1B2C3D-0002-4000-8000", "malformed uuid"},
        {"no id", "[id(0x201)] HRESULT Resize", "[helpstring(\"x\")] HRESULT Resize", "Resize has no id"},
        {"unreadable member", "[id(0x201)] HRESULT Resize", "[id(0x201)] void Resize", "cannot read member"},
        {"unknown result interface", "IRoseItem** ppItem", "IRoseNothing** ppItem", "IRoseNothing, which is not"},
    };
    for (const Case& c : cases) {
        std::string idl = kBase;
        size_t at = idl.find(c.from);
        ASSERT_NE(std::string::npos, at) << c.what;
        idl.replace(at, c.from.size(), c.to);
        EXPECT_NE(0, Generate(idl)) << c.what;
        EXPECT_NE(std::string::npos, messages.find(c.message)) << c.what << ":\n" << messages;
    }
}

TEST(HostIdsTest, TheHeaderInUseFollowsTheSharedDispidRules)
{
    // Members that every element or every collection has are called by one DISPID.
    EXPECT_EQ(RoseHost::Disp::Item::Name, RoseHost::Disp::Class::Name);
    EXPECT_EQ(RoseHost::Disp::Item::GetPropertyValue, RoseHost::Disp::ModuleVisibilityRelationship::GetPropertyValue);
    EXPECT_EQ(RoseHost::Disp::ClassCollection::GetAt, RoseHost::Disp::AddInCollection::GetAt);
    EXPECT_EQ(RoseHost::Disp::RoleCollection::Count, RoseHost::Disp::PropertyCollection::Count);
    // Every interface has an identifier of its own.
    for (const auto* a : RoseHost::Meta::All) {
        for (const auto* b : RoseHost::Meta::All) {
            if (a != b) {
                EXPECT_FALSE(IsEqualGUID(*a->iid, *b->iid)) << static_cast<const void*>(a);
            }
        }
    }
}

} // namespace
