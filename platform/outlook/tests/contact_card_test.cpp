#include "platform/outlook/contact_card.h"

#include <gtest/gtest.h>

#include "platform/outlook/automation_error.h"

namespace outlook {
namespace {

std::string Card(const std::string& body, const std::string& version = "3.0") {
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n";
}

TEST(ContactCard, TellsContactsFromGroupsAndBrokenFiles) {
    struct Case {
        const char* what;
        std::string bytes;
        CardKind kind;
    } cases[] = {
        {"3.0", Card("FN:A\r\n"), CardKind::Contact},
        {"4.0 with LF", "BEGIN:VCARD\nVERSION:4.0\nFN:A\nEND:VCARD\n", CardKind::Contact},
        {"empty", "", CardKind::Broken},
        {"no END", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:A\r\n", CardKind::Broken},
        {"no BEGIN", "VERSION:3.0\r\nFN:A\r\nEND:VCARD\r\n", CardKind::Broken},
        {"2.1", Card("FN:A\r\n", "2.1"), CardKind::Broken},
        {"no version", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n", CardKind::Broken},
        {"bad line", Card("FN:A\r\nthis is no line\r\n"), CardKind::Broken},
        {"two cards", Card("FN:A\r\n") + Card("FN:B\r\n"), CardKind::Broken},
        {"group 4.0", Card("FN:G\r\nKIND:group\r\n", "4.0"), CardKind::Group},
        {"group 3.0", Card("FN:G\r\nX-ADDRESSBOOKSERVER-KIND:group\r\n"), CardKind::Group},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ContactCard::Parse(c.bytes).first, c.kind) << c.what;
    }
}

TEST(ContactCard, ReadsWindows1252AndUtf8Names) {
    auto [kind, card] = ContactCard::Parse(Card("N:M\xFCller;J\xE9r\xF4me;;;\r\nFN:x\r\n"));
    ASSERT_EQ(kind, CardKind::Contact);
    EXPECT_EQ(card.Get("LastName"), "M\xC3\xBCller");
    EXPECT_EQ(card.Get("firstname"), "J\xC3\xA9r\xC3\xB4me");
    auto [kind8, card8] = ContactCard::Parse(Card("N:M\xC3\xBCller;;;;\r\nFN:x\r\n"));
    ASSERT_EQ(kind8, CardKind::Contact);
    EXPECT_EQ(card8.Get("lastname"), "M\xC3\xBCller");
    // Another program folded the line between the two octets of one character.
    auto [kindFolded, folded] = ContactCard::Parse(Card("N:M\xC3\r\n \xBCller;;;;\r\nFN:x\r\n"));
    ASSERT_EQ(kindFolded, CardKind::Contact);
    EXPECT_EQ(folded.Get("lastname"), "M\xC3\xBCller");
}

TEST(ContactCard, ForeignPhoneNumbersTakeTheFirstFreePropertyOfTheirType) {
    const std::string bytes = Card(
        "FN:A\r\n"
        "TEL;TYPE=HOME,VOICE:1\r\n"
        "TEL;TYPE=home:2\r\n"
        "TEL;TYPE=home:3\r\n"  // home and home 2 taken: other
        "TEL;TYPE=home:4\r\n"  // other taken as well: kept, not searched
        "TEL;TYPE=CELL:5\r\n"
        "TEL;TYPE=WORK;TYPE=FAX:6\r\n"
        "TEL;TYPE=FAX:7\r\n"
        "TEL:8\r\n"
        "TEL;VALUE=uri;TYPE=\"voice,work\":tel:+31-20-9\r\n"
        "TEL;X-BELVERIN-FIELD=Callbacktelephonenumber:10\r\n");
    auto [kind, card] = ContactCard::Parse(bytes);
    ASSERT_EQ(kind, CardKind::Contact);
    const std::pair<const char*, const char*> expected[] = {
        {"hometelephonenumber", "1"},
        {"home2telephonenumber", "2"},
        {"othertelephonenumber", "3"},
        {"mobiletelephonenumber", "5"},
        {"businessfaxnumber", "6"},
        {"otherfaxnumber", "7"},
        {"businesstelephonenumber", "+31-20-9"},
        {"callbacktelephonenumber", "10"},
        {"pagernumber", ""},
    };
    for (const auto& [property, value] : expected) {
        EXPECT_EQ(card.Get(property), value) << property;
    }
    for (std::size_t i = 0; i < kPhoneCount; ++i) {
        EXPECT_NE(card.Phone(i), "4");
        EXPECT_NE(card.Phone(i), "8");
    }
    // The line left over stays in the file.
    EXPECT_NE(card.Compose().find("TEL;TYPE=home:4\r\n"), std::string::npos);
}

TEST(ContactCard, WritesPhoneNumbersSoTheyReadBackToTheSameProperty) {
    auto [kind, card] =
        ContactCard::Parse(Card("FN:A\r\nTEL;TYPE=home:1\r\nTEL;TYPE=home:2\r\n"
                                "TEL;VALUE=uri;TYPE=cell:tel:06-1\r\n"));
    ASSERT_EQ(kind, CardKind::Contact);
    EXPECT_TRUE(card.Set("Home2telephonenumber", "22"));
    EXPECT_TRUE(card.Set("mobiletelephonenumber", "061"));
    EXPECT_TRUE(card.Set("ISDNnumber", "33"));
    EXPECT_FALSE(card.Set("isdnnumber", "33"));
    EXPECT_TRUE(card.Set("hometelephonenumber", ""));
    const std::string written = card.Compose();
    EXPECT_NE(written.find(":tel:061\r\n"), std::string::npos) << written;
    auto [kind2, again] = ContactCard::Parse(written);
    ASSERT_EQ(kind2, CardKind::Contact);
    EXPECT_EQ(again.Get("hometelephonenumber"), "");
    EXPECT_EQ(again.Get("home2telephonenumber"), "22");
    EXPECT_EQ(again.Get("mobiletelephonenumber"), "061");
    EXPECT_EQ(again.Get("isdnnumber"), "33");
}

TEST(ContactCard, NamesSetTheFullNameAndOtherPropertiesKeepTheirParts) {
    ContactCard card = ContactCard::New("u1");
    card.Set("FirstName", "Piet");
    EXPECT_EQ(card.Get("fullname"), "Piet");
    card.Set("lastname", "de Vries");
    EXPECT_EQ(card.Get("FullName"), "Piet de Vries");
    card.Set("companyname", "Belverin; BV");
    card.Set("homeaddressstreet", "Dorpsstraat 1");
    card.Set("homeaddresspostalcode", "1234 AB");
    card.Set("homeaddresscity", "Ede");
    card.Set("businessaddresscity", "Utrecht");
    card.Set("body", "regel 1\nregel 2, met komma");
    card.Set("categories", "Werk;");
    card.SetJournal(true);

    const std::string written = card.Compose();
    EXPECT_NE(written.find("NOTE:regel 1\\nregel 2\\, met komma\r\n"), std::string::npos);
    EXPECT_NE(written.find("CATEGORIES:Werk,\r\n"), std::string::npos);
    auto [kind, again] = ContactCard::Parse(written);
    ASSERT_EQ(kind, CardKind::Contact);
    EXPECT_EQ(again.Version(), "3.0");
    EXPECT_EQ(again.Get("companyname"), "Belverin; BV");
    EXPECT_EQ(again.Get("homeaddressstreet"), "Dorpsstraat 1");
    EXPECT_EQ(again.Get("homeaddresspostalcode"), "1234 AB");
    EXPECT_EQ(again.Get("homeaddresscity"), "Ede");
    EXPECT_EQ(again.Get("businessaddresscity"), "Utrecht");
    EXPECT_EQ(again.Get("businessaddressstreet"), "");
    EXPECT_EQ(again.Get("body"), "regel 1\nregel 2, met komma");
    EXPECT_EQ(again.Get("categories"), "Werk;");
    EXPECT_TRUE(again.Journal());
    EXPECT_THROW(again.Get("email1address"), EAutomationError);
    EXPECT_THROW(again.Set("nothing", "x"), EAutomationError);
}

TEST(ContactCard, UnknownLinesParametersAndGroupsStayAsTheyWere) {
    const std::string lines =
        "X-SOCIAL;TYPE=x:abc\r\n"
        "item1.ADR;TYPE=HOME;X-ODD=1:;;Oud 1;Ede;;1111;NL\r\n"
        "item1.X-ABLABEL:thuis\r\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\n"
        "FN:A\r\n";
    auto [kind, card] = ContactCard::Parse(Card(lines, "4.0"));
    ASSERT_EQ(kind, CardKind::Contact);
    card.Set("homeaddressstreet", "Nieuw 2");
    const std::string written = card.Compose();
    EXPECT_EQ(written, Card("X-SOCIAL;TYPE=x:abc\r\n"
                            "item1.ADR;TYPE=HOME;X-ODD=1:;;Nieuw 2;Ede;;1111;NL\r\n"
                            "item1.X-ABLABEL:thuis\r\n"
                            "PHOTO;ENCODING=b;TYPE=JPEG:AAAA\r\n"
                            "FN:A\r\n",
                            "4.0"));
}

}  // namespace
}  // namespace outlook
