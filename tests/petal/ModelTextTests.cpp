// The model's compact texts read as the wide text they stand for, whichever way they keep it.
#include "RoseModel.h"

#include <gtest/gtest.h>

#include <thread>

using namespace RoseHost;

TEST(ModelText, ReadsAsTheWideTextItKeeps)
{
    const std::wstring cases[] = {L"", L"A", L"Logical View::T00048", L"Gr\u00FC\u00DFe", L"\u4E2D\u6587-\u00E9", L"a\u0100b"};
    for (const std::wstring& text : cases) {
        const ModelText t(text);
        const ModelText copy = t;
        EXPECT_EQ(t.str(), text);
        EXPECT_EQ(t.size(), text.size());
        EXPECT_EQ(t.empty(), text.empty());
        EXPECT_TRUE(t == text && copy == t && t == ModelText(text));
        EXPECT_EQ(t.Hash(), ModelText::Hash(text)) << "the index finds a text by either form";
        EXPECT_EQ(L"<" + t + L">", L"<" + text + L">");
        EXPECT_FALSE(t == text + L"x");
        EXPECT_LT(t.Compare(text + L"x"), 0);
        if (!text.empty()) {
            EXPECT_TRUE(t.StartsWith(text.substr(0, 1)));
        }
    }
    EXPECT_EQ(ModelText::FromAscii("quid-P1"), L"quid-P1");
    EXPECT_GT(ModelText(L"b").Compare(L"a\u00FF"), 0);
}

TEST(ModelText, TheIndexFindsElementsByEitherForm)
{
    Model model;
    const std::wstring quids[] = {L"C00001", L"Q\u00E9\u4E2D", L"C00001"};
    std::vector<Element*> made;
    for (const std::wstring& quid : quids) {
        Class* c = model.Create<Class>(&model);
        c->quid = quid;
        model.IndexQuid(c);
        made.push_back(c);
    }
    EXPECT_EQ(model.FindByQuid(std::wstring(L"C00001")), made[0]) << "the first element with a quid keeps it";
    EXPECT_EQ(model.FindByQuid(made[1]->quid), made[1]);
    EXPECT_EQ(model.FindByQuid(std::wstring(L"Q\u00E9\u4E2D")), made[1]);
    EXPECT_EQ(model.FindByQuid(std::wstring(L"C0000")), nullptr);
}

TEST(ModelText, LastingTextsOutliveTheirNeighbours)
{
    // Short ones share blocks, long ones do not; every one reads as FromAscii's.
    const std::string lengths[] = {"", "C1", std::string(200, 'q'), std::string(300, 'r')};
    for (const std::string& text : lengths) {
        const ModelText t = ModelText::Lasting(text);
        EXPECT_TRUE(t == ModelText::FromAscii(text)) << text.size();
        EXPECT_EQ(t.Hash(), ModelText::FromAscii(text).Hash()) << text.size();
    }
    // Several blocks' worth, most dropped at once, the rest kept past their thread's end.
    std::vector<ModelText> kept;
    std::thread([&] {
        std::vector<ModelText> all;
        for (int i = 0; i < 20000; ++i)
            all.push_back(ModelText::Lasting("O" + std::to_string(i) + "-P1"));
        for (size_t i = 0; i < all.size(); i += 997)
            kept.push_back(all[i]);
    }).join();
    for (size_t k = 0; k < kept.size(); ++k)
        EXPECT_EQ(kept[k], L"O" + std::to_wstring(k * 997) + L"-P1");
}
