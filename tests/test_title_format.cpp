// The host's title-format language: fields, literals, sections, functions, errors and bounds.
#include <gtest/gtest.h>

#include <map>

#include "title_format.h"

using velvox_host::compile_title_format;
using velvox_host::evaluate_title_format;
using velvox_host::max_nesting;
using velvox_host::max_text_bytes;
using velvox_host::title_format_error;

namespace {

class map_source : public velvox_host::field_source {
public:
    map_source(std::initializer_list<std::pair<const std::string, std::string>> fields) : m_fields(fields) {}
    bool lookup(std::string_view name, std::string& value) const override {
        const auto found = m_fields.find(std::string(name));
        if (found == m_fields.end()) return false;
        value = found->second;
        return true;
    }

private:
    std::map<std::string, std::string> m_fields;
};

const map_source song{{"title", "Blue Monday"},
                      {"artist", "New Order"},
                      {"album", "Power, Corruption & Lies"},
                      {"date", "1983"},
                      {"tracknumber", "7"},
                      {"__mp3_stereo_mode", "joint stereo"},
                      {"empty", ""},
                      {"greek", "αβγ"},
                      {"padded", "  x y  "}};

std::string format(std::string_view text, const velvox_host::field_source& source = song) {
    return evaluate_title_format(compile_title_format(text), source);
}

// The fault and byte position of a template that must not compile.
std::pair<std::string, std::size_t> compile_failure(std::string_view text) {
    try {
        compile_title_format(text);
    } catch (const title_format_error& error) {
        return {error.fault(), error.position()};
    }
    return {"compiled", 0};
}

TEST(TitleFormat, DefaultTemplatesOfTheFourScreens) {
    EXPECT_EQ(format("%title%"), "Blue Monday");
    EXPECT_EQ(format("%artist%"), "New Order");
    EXPECT_EQ(format("%album% '('%date%')'"), "Power, Corruption & Lies (1983)");
    EXPECT_EQ(format("%artist% - %title%"), "New Order - Blue Monday");
    EXPECT_EQ(format("%__mp3_stereo_mode%"), "joint stereo");
    EXPECT_EQ(format(""), "");
}

TEST(TitleFormat, MissingFieldsShowAQuestionMarkAndNamesIgnoreCase) {
    const map_source nothing{};
    EXPECT_EQ(format("%album% '('%date%')'", nothing), "? (?)");
    EXPECT_EQ(format("%TiTlE%/%ARTIST%"), "Blue Monday/New Order");
    EXPECT_EQ(format("[%empty%]x"), "x");  // known but empty: shown as empty, section true
    EXPECT_EQ(format("<%empty%>"), "<>");
}

TEST(TitleFormat, QuotedLiteralsKeepSpecialCharacters) {
    EXPECT_EQ(format("'%title%'"), "%title%");
    EXPECT_EQ(format("'$if(,[])'"), "$if(,[])");
    EXPECT_EQ(format("''"), "'");
    EXPECT_EQ(format("'it''s'"), "it's");
    EXPECT_EQ(format("Rock ''n'' Roll"), "Rock 'n' Roll");
    EXPECT_EQ(format("a, b"), "a, b");
}

TEST(TitleFormat, OptionalSectionsVanishWithoutKnownFields) {
    EXPECT_EQ(format("%title%[ '('%comment%')']"), "Blue Monday");
    EXPECT_EQ(format("%title%[ '('%date%')']"), "Blue Monday (1983)");
    EXPECT_EQ(format("[no fields at all]"), "");
    EXPECT_EQ(format("[%comment% or %date%]"), "? or 1983");
    EXPECT_EQ(format("[a[%comment%]b]"), "");
    EXPECT_EQ(format("[a[%comment%]b%date%]"), "ab1983");
    EXPECT_EQ(format("[a[%date%]b]"), "a1983b");
    EXPECT_EQ(format("$if(%date%,[%date%, live],x)"), "1983, live");
}

TEST(TitleFormat, ConditionalsChooseByTruth) {
    EXPECT_EQ(format("$if(%date%,yes,no)"), "yes");
    EXPECT_EQ(format("$if(%comment%,yes,no)"), "no");
    EXPECT_EQ(format("$if(%comment%,yes)"), "");
    EXPECT_EQ(format("$if2(%comment%,none)"), "none");
    EXPECT_EQ(format("$if2(%artist%,none)"), "New Order");
    EXPECT_EQ(format("$if3(%comment%,%genre%,%album%,last)"), "Power, Corruption & Lies");
    EXPECT_EQ(format("$if3(%comment%,%genre%,last)"), "last");
    EXPECT_EQ(format("$ifequal(%tracknumber%,7,seven,other)"), "seven");
    EXPECT_EQ(format("$ifequal(%tracknumber%,8,eight,other)"), "other");
    EXPECT_EQ(format("$ifgreater(%tracknumber%,6,more,not)"), "more");
    EXPECT_EQ(format("$ifgreater(%tracknumber%,7,more,not)"), "not");
    // A section around a conditional follows the chosen branch's truth.
    EXPECT_EQ(format("[$if2(%comment%,x)]"), "");
    EXPECT_EQ(format("[$if2(%comment%,%date%)]"), "1983");
}

TEST(TitleFormat, LogicalPredicatesGiveTruthOnly) {
    EXPECT_EQ(format("$and(%title%,%artist%)"), "");
    EXPECT_EQ(format("$if($and(%title%,%artist%),y,n)"), "y");
    EXPECT_EQ(format("$if($and(%title%,%comment%),y,n)"), "n");
    EXPECT_EQ(format("$if($or(%comment%,%artist%),y,n)"), "y");
    EXPECT_EQ(format("$if($or(%comment%,%genre%),y,n)"), "n");
    EXPECT_EQ(format("$if($not(%comment%),y,n)"), "y");
    EXPECT_EQ(format("$if($xor(%title%,%artist%),y,n)"), "n");
    EXPECT_EQ(format("$if($xor(%title%,%comment%),y,n)"), "y");
    EXPECT_EQ(format("$if($greater(10,9),y,n)"), "y");
    EXPECT_EQ(format("$if($greater(9,10),y,n)"), "n");
    EXPECT_EQ(format("$if($strcmp(abc,abc),y,n)$if($strcmp(abc,ABC),y,n)"), "yn");
    EXPECT_EQ(format("$if($stricmp(Ärger,äRGER),y,n)$if($stricmp(ab,abc),y,n)"), "yn");
}

TEST(TitleFormat, CaseFunctionsMapCharactersBeyondAscii) {
    EXPECT_EQ(format("$upper(%title%)"), "BLUE MONDAY");
    EXPECT_EQ(format("$lower(%artist%)"), "new order");
    EXPECT_EQ(format("$upper(éàüÿ straße)"), "ÉÀÜŸ STRAßE");
    EXPECT_EQ(format("$upper(%greek% ς ωμέγα)"), "ΑΒΓ Σ ΩΜΈΓΑ");
    EXPECT_EQ(format("$lower(ДОБРЫЙ ВЕЧЕР ЁЖ)"), "добрый вечер ёж");
    EXPECT_EQ(format("$upper(łódź)"), "ŁÓDŹ");
    EXPECT_EQ(format("$caps(the QUICK brown-fox '('live')')"), "The Quick Brown-Fox (Live)");
    // A function passes on the truth of its first argument.
    EXPECT_EQ(format("[$upper(%comment%)]"), "");
    EXPECT_EQ(format("[$upper(%date%)]"), "1983");
}

TEST(TitleFormat, LengthsAndCutsCountCharacters) {
    EXPECT_EQ(format("$len(%greek%)"), "3");
    EXPECT_EQ(format("$len(%title%)"), "11");
    EXPECT_EQ(format("$left(%greek%,2)"), "αβ");
    EXPECT_EQ(format("$right(%greek%,2)"), "βγ");
    EXPECT_EQ(format("$right(%greek%,9)"), "αβγ");
    EXPECT_EQ(format("$left(%title%,-3)"), "");
    EXPECT_EQ(format("$cut(%title%,4)"), "Blue");
    EXPECT_EQ(format("$substr(%title%,6,8)"), "Mon");
    EXPECT_EQ(format("$substr(%greek%,2,9)"), "βγ");
    EXPECT_EQ(format("$substr(%title%,5,2)"), "");
    EXPECT_EQ(format("$insert(%greek%,-,1)"), "α-βγ");
    EXPECT_EQ(format("$insert(ab,X,99)"), "abX");
    EXPECT_EQ(format("$strchr(%greek%,γ)"), "3");
    EXPECT_EQ(format("$strchr(%title%,z)"), "0");
    EXPECT_EQ(format("$strstr(%title%,Mon)"), "6");
    EXPECT_EQ(format("$strstr(%title%,)"), "0");
}

TEST(TitleFormat, PaddingTrimmingAndNumbers) {
    EXPECT_EQ(format("[$pad(%greek%,5)]"), "αβγ  ");
    EXPECT_EQ(format("$pad(%greek%,5,.)"), "αβγ..");
    EXPECT_EQ(format("$pad_right(%greek%,5,·)"), "··αβγ");
    EXPECT_EQ(format("$pad(%title%,3)"), "Blue Monday");
    EXPECT_EQ(format("$num(%tracknumber%,3)"), "007");
    EXPECT_EQ(format("$num(-5,3)"), "-05");
    EXPECT_EQ(format("$num(12345,2)"), "12345");
    EXPECT_EQ(format("$num(abc,2)"), "00");
    EXPECT_EQ(format("<$trim(%padded%)>"), "<x y>");
    EXPECT_EQ(format("$repeat(ab,3)"), "ababab");
    EXPECT_EQ(format("$repeat(ab,-3)"), "");
    EXPECT_EQ(format("$abbr(Power Corruption and Lies)"), "PCaL");
    EXPECT_EQ(format("$abbr(%title%,20)"), "Blue Monday");
    EXPECT_EQ(format("$abbr(%title%,5)"), "BM");
}

TEST(TitleFormat, ReplaceTakesPairsInOrder) {
    EXPECT_EQ(format("$replace(%album%,&,and)"), "Power, Corruption and Lies");
    EXPECT_EQ(format("$replace(a-b_c,-, ,_,/)"), "a b/c");
    EXPECT_EQ(format("$replace(abc,,x)"), "abc");
    EXPECT_EQ(format("$replace(aaa,a,aa)"), "aaaaaa");
}

TEST(TitleFormat, ArithmeticIsSaturatedAndDivisionByZeroIsSound) {
    EXPECT_EQ(format("$add(%tracknumber%,1,2)"), "10");
    EXPECT_EQ(format("$sub(10,3,2)"), "5");
    EXPECT_EQ(format("$mul(-4,5)"), "-20");
    EXPECT_EQ(format("$div(17,5)"), "3");
    EXPECT_EQ(format("$div(-17,5)"), "-3");
    EXPECT_EQ(format("$div(17,0)"), "17");
    EXPECT_EQ(format("$mod(17,5)"), "2");
    EXPECT_EQ(format("$mod(17,0)"), "17");
    EXPECT_EQ(format("$max(3,9,-2)$min(3,9,-2)"), "9-2");
    EXPECT_EQ(format("$add( 12abc,+3)"), "15");
    EXPECT_EQ(format("$mul(9223372036854775807,2)"), "9223372036854775807");
    EXPECT_EQ(format("$sub(-9223372036854775807,10)"), "-9223372036854775808");
    EXPECT_EQ(format("$div(-9223372036854775808,-1)"), "9223372036854775807");
    EXPECT_EQ(format("$mod(-9223372036854775808,-1)"), "0");
    EXPECT_EQ(format("$add(99999999999999999999999,0)"), "9223372036854775807");
    EXPECT_EQ(format("[$add(%comment%,1)]"), "");
}

TEST(TitleFormat, FunctionNamesIgnoreCaseAndArgumentsNest) {
    EXPECT_EQ(format("$UPPER($left(%title%,4))"), "BLUE");
    EXPECT_EQ(format("$if($greater($len(%title%),5),long,short)"), "long");
}

TEST(TitleFormat, TemplatesThatDoNotParseReportFaultAndPosition) {
    using failure = std::pair<std::string, std::size_t>;
    EXPECT_EQ(compile_failure("ab %title"), failure("unterminated field: no closing '%'", 3));
    EXPECT_EQ(compile_failure("x%%"), failure("empty field name '%%'", 1));
    EXPECT_EQ(compile_failure("ab 'cd"), failure("unterminated quote: no closing '", 3));
    EXPECT_EQ(compile_failure("a [b [c] d"), failure("unclosed '['", 2));
    EXPECT_EQ(compile_failure("a]b"), failure("']' without '['", 1));
    EXPECT_EQ(compile_failure("a)b"), failure("')' without a function call", 1));
    EXPECT_EQ(compile_failure("%album% (%date%)"), failure("'(' outside a function call (quote it as '(')", 8));
    EXPECT_EQ(compile_failure("$upper(x"), failure("unclosed '$upper('", 0));
    EXPECT_EQ(compile_failure("$if(a,[b)"), failure("unclosed '['", 6));
    EXPECT_EQ(compile_failure("$if(a,b])"), failure("']' without '['", 7));
    EXPECT_EQ(compile_failure("--$nosuch(x)"), failure("unknown function $nosuch", 2));
    EXPECT_EQ(compile_failure("$upper"), failure("'$' must be followed by a function name and '('", 0));
    EXPECT_EQ(compile_failure("$ (x)"), failure("'$' must be followed by a function name and '('", 0));
    EXPECT_EQ(compile_failure("$left(x)"), failure("$left takes 2 arguments, not 1", 0));
    EXPECT_EQ(compile_failure("$if(a)"), failure("$if takes 2 or 3 arguments, not 1", 0));
    EXPECT_EQ(compile_failure("$add(1)"), failure("$add takes at least 2 arguments, not 1", 0));
    EXPECT_EQ(compile_failure("$not(a,b)"), failure("$not takes 1 arguments, not 2", 0));
    try {
        compile_title_format("x%y");
        FAIL();
    } catch (const title_format_error& error) {
        EXPECT_STREQ(error.what(), "unterminated field: no closing '%' at byte 1");
    }
}

TEST(TitleFormat, NestingIsBoundedWithAnErrorInsteadOfDeepRecursion) {
    const std::string fits = std::string(max_nesting, '[') + "%date%" + std::string(max_nesting, ']');
    EXPECT_EQ(format(fits), "1983");
    std::string calls;
    for (int i = 0; i < max_nesting; ++i) calls += "$upper(";
    EXPECT_EQ(format(calls + "%artist%" + std::string(max_nesting, ')')), "NEW ORDER");

    const std::string deep(100000, '[');
    const auto [fault, position] = compile_failure(deep + std::string(100000, ']'));
    EXPECT_EQ(fault, "nesting deeper than 64 levels");
    EXPECT_EQ(position, static_cast<std::size_t>(max_nesting));
    EXPECT_EQ(compile_failure(calls + "$lower(x" + std::string(max_nesting + 1, ')')).first, fault);
}

TEST(TitleFormat, HugeCountsGiveBoundedOutput) {
    EXPECT_EQ(format("$pad(x,99999999999)").size(), max_text_bytes);
    EXPECT_EQ(format("$pad_right(x,1000000000,é)").size(), max_text_bytes);
    EXPECT_EQ(format("$repeat(abc,1000000000000)").size(), max_text_bytes);
    EXPECT_EQ(format("$num(1,1000000000)").size(), max_text_bytes);
    const std::string blown = format("$replace($repeat(a,100000),a,$repeat(b,100000))");
    EXPECT_EQ(blown.size(), max_text_bytes);
    EXPECT_EQ(blown.find_first_not_of('b'), std::string::npos);
    // Multi-byte characters are never split at the bound.
    const std::string greek = format("$repeat(%greek%,100000)");
    EXPECT_EQ(greek.size(), max_text_bytes);
    EXPECT_EQ(format("$len($repeat(é,100000))"), std::to_string(max_text_bytes / 2));
}

TEST(TitleFormat, EnormousTemplatesCompileAndEvaluate) {
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "%tracknumber%,";
    const std::string out = format(text);
    EXPECT_EQ(out.size(), 40000u);
    EXPECT_EQ(out.substr(0, 6), "7,7,7,");
}

TEST(TitleFormat, InvalidUtf8IsCarriedThroughAsSingleCharacters) {
    const std::string broken = "a\xff\xc3(b\xe2\x82";
    const map_source source{{"broken", broken}};
    EXPECT_EQ(format("%broken%", source), broken);
    EXPECT_EQ(format("$len(%broken%)", source), "7");
    EXPECT_EQ(format("$upper(%broken%)", source), "A\xff\xc3(B\xe2\x82");
    EXPECT_EQ(format("$right(%broken%,2)", source), "\xe2\x82");
    EXPECT_EQ(format("$left(\xc0\xaf,1)"), "\xc0");  // an overlong form is two invalid bytes
    EXPECT_EQ(format("$len(\xed\xa0\x80)"), "3");    // an encoded surrogate is not a character
}

}  // namespace
