// Seeded smoke run of the script fuzz input: thousands of random and mutated scripts must
// neither crash nor hang nor upset the sanitizers, and the parser stays sound afterwards.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/scriptFuzzInput.h"
#include "host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "world/velmoraFunctions.h"

namespace {

std::string block(uint32_t declared, std::string const& data, bool closed) {
    std::string b = "\"";
    b += '\0';
    for (int shift = 24; shift >= 0; shift -= 8)
        b += char((declared >> shift) & 255);
    return b + data + (closed ? "\"" : "");
}

// Script fragments to glue together: words without blanks, then the rest.
std::vector<std::string> makePieces() {
    std::vector<std::string> list;
    std::istringstream words(": :set :if :elseif :else :label :name :mkdir :cd :int :s :array :var :save "
                             ":nosave :ssh :float :dir :short :unknown { } // /* */ ( ) (1) (0) (1+2) \" "
                             "#3 -2 .5 $x ${x} ~k a/b/c .. x float array \xff @ * n abc");
    for (std::string w; words >> w;)
        list.push_back(w);
    for (std::string extra : {" ", "\t", "\n", "\r\n", " { ", " } ", "// c\n", "\"a b\""})
        list.push_back(extra);
    list.push_back(block(3, std::string("a\0b", 3), true));
    list.push_back(block(0, "", true));
    list.push_back(block(50, "short", true));
    list.push_back(block(1, "", false));
    list.push_back(std::string("\0", 1));
    return list;
}

std::vector<std::string> const& pieces() {
    static std::vector<std::string> const list = makePieces();
    return list;
}

std::string randomScript(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(0, 24);
    std::string text;
    for (int n = count(rng); n > 0; n--) {
        text += pieces()[rng() % pieces().size()];
        if (rng() % 2) text += ' ';
    }
    return text;
}

std::string randomBytes(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(0, 40);
    std::string text;
    for (int n = count(rng); n > 0; n--)
        text += static_cast<char>(rng() & 255);
    return text;
}

std::string mutate(std::string text, std::mt19937& rng) {
    for (int steps = 1 + static_cast<int>(rng() % 4); steps > 0; steps--) {
        size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
        switch (rng() % 4) {
        case 0:
            text.insert(at, 1, static_cast<char>(rng() & 255));
            break;
        case 1:
            if (at < text.size()) text.erase(at, 1);
            break;
        case 2:
            if (at < text.size()) text[at] = static_cast<char>(rng() & 255);
            break;
        default:
            text.insert(at, pieces()[rng() % pieces().size()]);
            break;
        }
    }
    return text;
}

void feed(std::string const& text) {
    runScriptFuzzInput(reinterpret_cast<uint8_t const*>(text.data()), text.size());
}

TEST(ScriptFuzz, SurvivesRandomAndMutatedScripts) {
    CfakeHostServices host; // file and shell commands are recorded, not carried out
    uint8_t savedAllow = allowStdoutFile;
    uint8_t savedAlert = skipNSAlert;
    allowStdoutFile = 0;
    skipNSAlert = 1;
    std::mt19937 rng(20261206);
    std::vector<std::string> seeds = {
        ":set a (1 + 2) \"x y\" #12 -3\n:b { :c 1 }",
        ":mkdir shop {\n :float speed 1.5\n :s msg \"hi there\"\n :array pos #3 4 0.5 x\n}\n",
        ":if (1) { :int a 1 } :elseif (0) { :int b 2 } :else { :int c 3 }",
        "// comment\r\n:a /* b */ c\r\n:d //x\n",
        ":mfile f " + block(4, "ab\0c", true) + " :next",
        ":label fish :name x :cd .. { :var v }",
    };
    for (std::string const& s : seeds)
        feed(s);
    for (int i = 0; i < 4000; i++) {
        feed(randomScript(rng));
        feed(mutate(seeds[rng() % seeds.size()], rng));
        if (i % 2) feed(randomBytes(rng));
    }
    allowStdoutFile = savedAllow;
    skipNSAlert = savedAlert;

    // Still sound after all that.
    CscriptVar script;
    ASSERT_EQ(script.processStringScript(":a 1 { :b }"), 0);
    EXPECT_EQ(script.countChildren(-1), 1);
    EXPECT_EQ(script.firstChild->countChildren(-1), 1);
}

} // namespace
