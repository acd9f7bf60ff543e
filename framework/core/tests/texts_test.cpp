#include <gtest/gtest.h>

#include <QList>
#include <QObject>

#include "framework/core/LanguageService.h"
#include "framework/core/MlStringModule.h"

namespace korvex {
namespace {

const StringTable kTable{
    {126, "Attention!", "¡Atención!"},
    {206, "STOP!", "¡PARAR!"},
    {135, "Only English", ""},
    {262, "Invalid position", "Posición errónea"},
};

TEST(MlStringModule, TextsInBothLanguages) {
    MlStringModule texts(kTable);
    texts.InitTexts();
    EXPECT_EQ(texts.CurrentLanguage(), 0);
    EXPECT_EQ(texts.GetText(206, "STOP!"), "STOP!");  // language 0 reads English

    texts.SetLanguage(kLanguageSpanish);
    EXPECT_EQ(texts.GetText(126, "Attention!"), "¡Atención!");
    EXPECT_EQ(texts.GetText(262, "Invalid position"), "Posición errónea");
    // An empty Spanish entry shows the table's English, an unknown id the call site's text.
    EXPECT_EQ(texts.GetText(135, "call site"), "Only English");
    EXPECT_EQ(texts.GetText(999, "Unknown here"), "Unknown here");

    texts.SetLanguage(kLanguageEnglish);
    EXPECT_EQ(texts.GetText(126, "ignored"), "Attention!");
    EXPECT_EQ(texts.GetText(999, "Unknown here"), "Unknown here");
}

TEST(MlStringModule, LookupBeforeInitTextsMatchesAfter) {
    MlStringModule before(kTable, kLanguageSpanish);
    MlStringModule after(kTable, kLanguageSpanish);
    after.InitTexts();
    after.InitTexts();  // a second call changes nothing
    for (int32_t id : {126, 206, 135, 262, 999}) {
        EXPECT_EQ(before.GetText(id, "x"), after.GetText(id, "x")) << "id " << id;
    }
}

TEST(MlStringModule, SetLanguageKeepsToTheList) {
    const struct {
        int32_t asked;
        int32_t current;
    } cases[] = {{9, 9}, {3082, 3082}, {1033, 9}, {0, 9}, {-1, 9}, {10, 9}, {1034, 9}};
    for (const auto& c : cases) {
        MlStringModule texts(kTable, kLanguageSpanish);
        texts.SetLanguage(c.asked);
        EXPECT_EQ(texts.CurrentLanguage(), c.current) << "asked " << c.asked;
    }
}

TEST(StringTableProblems, ReportsWhatIsMissing) {
    EXPECT_EQ(StringTableProblems(kTable, {135}), QStringList());
    EXPECT_EQ(StringTableProblems(kTable), QStringList{"id 135: Spanish text missing"});

    const StringTable broken{
        {1, "One", "Uno"}, {2, "", "Dos"}, {1, "Again", "Otra"}, {3, "Three", nullptr}};
    EXPECT_EQ(StringTableProblems(broken, {7}),
              (QStringList{"id 2: English text missing", "id 1: duplicate id",
                           "id 3: Spanish text missing", "id 7: declared but not in the table"}));
}

// A window-like listener: takes the language and re-texts itself, as every window does.
struct Listener {
    Listener(LanguageService& service, MlStringModule& texts) {
        QObject::connect(&service, &LanguageService::LanguageChanged, &context,
                         [this, &texts](int id, const QString& tag) {
                             texts.SetLanguage(id);
                             caption = texts.GetText(206, "STOP!");
                             tags << tag;
                         });
    }
    QObject context;
    QString caption;
    QStringList tags;
};

TEST(LanguageService, SwitchReachesEveryListener) {
    MlStringModule texts(kTable);
    texts.InitTexts();
    LanguageService service(&texts);
    EXPECT_EQ(service.CurrentLanguage(), 9);

    Listener handBox(service, texts), setup(service, texts), spy(service, texts);
    service.SwitchAll(kLanguageSpanish, "What'sup");
    for (const Listener* window : {&handBox, &setup, &spy}) {
        EXPECT_EQ(window->caption, "¡PARAR!");
        EXPECT_EQ(window->tags, QStringList{"What'sup"});
    }
    EXPECT_EQ(texts.CurrentLanguage(), kLanguageSpanish);
    EXPECT_EQ(service.CurrentLanguage(), kLanguageSpanish);

    // A device object created now takes the service's language.
    MlStringModule deviceTexts(kTable);
    deviceTexts.SetLanguage(service.CurrentLanguage());
    EXPECT_EQ(deviceTexts.GetText(206, "STOP!"), "¡PARAR!");

    // A listener that went away no longer hears; the others do, even for an unlisted id.
    { Listener closed(service, texts); }
    service.SwitchAll(1033, "x");
    EXPECT_EQ(texts.CurrentLanguage(), kLanguageEnglish);
    EXPECT_EQ(handBox.caption, "STOP!");
    EXPECT_EQ(spy.tags, (QStringList{"What'sup", "x"}));
}

TEST(LanguageService, TextsFollowBeforeListenersRun) {
    MlStringModule texts(kTable);
    LanguageService service(&texts);
    QString seen;
    QObject context;
    QObject::connect(&service, &LanguageService::LanguageChanged, &context,
                     [&] { seen = texts.GetText(126, "Attention!"); });
    service.SwitchAll(kLanguageSpanish, "t");
    EXPECT_EQ(seen, "¡Atención!");
}

}  // namespace
}  // namespace korvex
