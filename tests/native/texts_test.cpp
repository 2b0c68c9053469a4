// The catalogue as the programs read it: each text of the table of choices,
// the outcome messages and the windows' captions is the Windows program's
// Japanese text, byte for byte, in a Japanese locale, and the English text
// in any other.
#include <gtest/gtest.h>
#include <locale.h>

#include <string>
#include <vector>

#include "core/outcome_messages.h"
#include "core/texts.h"
#include "settings/choices.h"
#include "support/outcome_messages.h"

namespace {

struct Text {
    const char* english;
    const char* japanese;
};

// The texts of quillon-gui's windows that the table of choices does not hold.
const Text kWindowTexts[] = {
    {"Rename log", "リネームログ"},
    {"Properties", "プロパティ"},
    {"OK", "OK"},
    {"Cancel", "ｷｬﾝｾﾙ"},
};

// The dialog's captions, in the order of the Windows dialog's resources.
const char* const kCaptionsInJapanese[CHOICE_FIELDS][4] = {
    {"ファイル名の形式", "曲名のみ", "曲名 - アーティスト名", "アーティスト名 - 曲名"},
    {"優先するID3 Tag", "ID3v1 Tag", "ID3v2 Tag"},
    {"変換ログ・ウィンドウ", "表示する", "表示しない"},
};

std::vector<Text> AllTexts() {
    std::vector<Text> texts(std::begin(kWindowTexts), std::end(kWindowTexts));
    for (int f = 0; f < CHOICE_FIELDS; ++f) {
        const ChoiceField& field = kChoiceFields[f];
        texts.push_back({field.caption, kCaptionsInJapanese[f][0]});
        for (int c = 0; c < field.count; ++c)
            texts.push_back({field.choices[c].caption, kCaptionsInJapanese[f][c + 1]});
    }
    return texts;
}

TEST(Texts, JapaneseOnlyInAJapaneseLocale) {
    struct Row {
        const char* locale;
        bool japanese;
    };
    for (const Row& row : {Row{"ja_JP.UTF-8", true}, Row{"en_US.UTF-8", false}, Row{"C", false}}) {
        SCOPED_TRACE(row.locale);
        ASSERT_NE(nullptr, setlocale(LC_ALL, row.locale)) << "LOCPATH should hold the locale (fixture ja_locale)";
        for (const Text& text : AllTexts()) {
            EXPECT_STREQ(row.japanese ? text.japanese : text.english, Tr(text.english));
        }
        for (int code = 1; code <= 6; ++code) {
            EXPECT_EQ(row.japanese ? OutcomeMessage(code) : EnglishOutcomeMessage(code), OutcomeMessageUtf8(code));
        }
        // Never translated: the log's markers, and the empty text (whose
        // catalogue entry is its header).
        EXPECT_STREQ("READY.", Tr("READY."));
        EXPECT_STREQ("Configuration...", Tr("Configuration..."));
        EXPECT_STREQ("", Tr(""));
        EXPECT_STREQ("", OutcomeMessageUtf8(7));
    }
    setlocale(LC_ALL, "C");
}

}  // namespace
