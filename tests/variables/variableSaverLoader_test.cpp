// The settings and dump text writers.
#include <memory>

#include "persistTestSupport.h"
#include "variables/variableLinks.h"
#include "variables/variableSaverLoader.h"

namespace {

std::string binaryBlock(std::string const& text) {
    std::string b = "\"";
    b += '\0';
    uint32_t n = static_cast<uint32_t>(text.size());
    b += static_cast<char>(n >> 24);
    b += static_cast<char>(n >> 16);
    b += static_cast<char>(n >> 8);
    b += static_cast<char>(n);
    return b + text + "\"";
}

class SettingsText : public PersistTest {
  protected:
    void SetUp() override {
        PersistTest::SetUp();
        shop = std::make_unique<CdirectoryVar>();
        shop->setName("shop");
        shop->setSave(1);
        speed = child(shop.get(), "speed", CLASS_FLOAT);
        speed->setFloat(1.5);
        speed->setSave(1);
        n = child(shop.get(), "n", CLASS_INT);
        n->setInt(2);
    }
    void TearDown() override {
        shop.reset();
        EXPECT_EQ(liveSinceStart(), 0);
        PersistTest::TearDown();
    }
    std::string config(Cvariable* v, int all = 0) {
        return written([&](std::ostream& out) { v->saveConfig(out, 0, all); });
    }

    std::unique_ptr<CdirectoryVar> shop;
    Cvariable* speed = nullptr;
    Cvariable* n = nullptr;
};

TEST_F(SettingsText, StringValuesReadBackAsWritten) {
    struct Case {
        char const* value;
        std::string line;
    } cases[] = {
        {"hello", ":s msg \"hello\"\n"},
        {"", ":s msg \"\"\n"},
        {"a b {x} $y", ":s msg \"a b {x} $y\"\n"},
        // the reader has no escape inside quotes: a quote inside goes as a counted block
        {"say \"hi\"", ":s msg " + binaryBlock("say \"hi\"") + "\n"},
    };
    Cvariable* msg = child(shop.get(), "msg", CLASS_STRING);
    msg->setSave(1);
    for (auto const& c : cases) {
        msg->setString(c.value);
        EXPECT_EQ(config(msg), c.line) << c.value;
    }
}

TEST_F(SettingsText, AsciiSafeAndFloatText) {
    struct Case {
        char const* text;
        std::string out;
    } cases[] = {
        {"", "\"\""}, {"abc", "abc"}, {"a b", "\"a b\""}, {"a\"b", binaryBlock("a\"b")}, {nullptr, "\"\""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(written([&](std::ostream& out) { writeAsciiSafe(out, c.text); }), c.out);

    struct FloatCase {
        float value;
        char const* text;
    } floats[] = {{1.5f, "1.5"}, {1e10f, "1e+10"},  {0.1f, "0.1"},
                  {-2, "-2"},    {1.296f, "1.296"}, {-3.4e38f, "-3.4e+38"}};
    for (auto const& f : floats) {
        char text[16];
        floatToChar(f.value, text);
        EXPECT_STREQ(text, f.text);
    }
}

} // namespace
