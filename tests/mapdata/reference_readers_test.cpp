// Reading tema.tkm, user.tkm and sign.tkm.
#include <gtest/gtest.h>

#include <string>

#include "mapdata/cp1251.h"
#include "mapdata/map_readers.h"

namespace tikhomap {
namespace {

std::vector<uint8_t> text(const std::string& utf8) {
  const std::string cp = utf8ToCp1251(utf8);
  return {cp.begin(), cp.end()};
}

std::vector<std::string> topLevelNames(const MapData& m) {
  std::vector<std::string> names;
  for (int32_t i = m.themeHead; i >= 0; i = m.themeNodes[static_cast<size_t>(i)].next) {
    names.push_back(m.themeNodes[static_cast<size_t>(i)].name);
  }
  return names;
}

std::vector<std::string> childNames(const MapData& m, int32_t group) {
  std::vector<std::string> names;
  for (int32_t i = m.themeNodes[static_cast<size_t>(group)].children; i >= 0;
       i = m.themeNodes[static_cast<size_t>(i)].next) {
    names.push_back(m.themeNodes[static_cast<size_t>(i)].name);
  }
  return names;
}

TEST(ThemeFile, BuildsTheTwoLevelList) {
  MapData m;
  std::vector<LoadProblem> problems;
  parseThemeFile(text("11   , Связь  \r\n"
                      "21   ,Торговля\r\n"
                      "12 , ,Почта\r\n"  // the comma before the sixth character is not the one
                      "22   ,Магазины\n"
                      "13   ,Телеграф\n"),
                 m, problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(topLevelNames(m), (std::vector<std::string>{"Связь", "Торговля"}));
  EXPECT_EQ(childNames(m, 0), (std::vector<std::string>{"Почта", "Телеграф"}));
  EXPECT_EQ(childNames(m, 1), (std::vector<std::string>{"Магазины"}));
  EXPECT_EQ(m.themeNodes[2].code[1], '2');
}

TEST(ThemeFile, FirstLineThemeHeadsTheListAndOrphansStayTopLevel) {
  MapData m;
  std::vector<LoadProblem> problems;
  parseThemeFile(text("32   ,Школы\n41   ,Спорт\n52   ,Бассейны\n42   ,Стадионы\n"), m, problems);
  EXPECT_EQ(topLevelNames(m), (std::vector<std::string>{"Школы", "Спорт", "Бассейны"}));
  EXPECT_EQ(childNames(m, 1), (std::vector<std::string>{"Стадионы"}));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].offset, 24u);  // the line of "Бассейны"
}

TEST(ThemeFile, NamesCutAt48AndBadLinesSkipped) {
  const std::string n48(48, 'x');
  MapData m;
  std::vector<LoadProblem> problems;
  parseThemeFile(text("11   ," + n48 + "\n12   ," + n48 + "y\n13 no name\n\n"), m, problems);
  ASSERT_EQ(m.themeNodes.size(), 2u);
  EXPECT_EQ(std::string(m.themeNodes[0].name), n48);
  EXPECT_EQ(std::string(m.themeNodes[1].name), n48);
  EXPECT_EQ(problems.size(), 1u);  // the line without a name; the blank line is quiet
}

TEST(ThemeFile, EmptyFileLeavesAnEmptyList) {
  MapData m;
  std::vector<LoadProblem> problems;
  parseThemeFile({}, m, problems);
  EXPECT_EQ(m.themeHead, -1);
  EXPECT_TRUE(m.themeNodes.empty());
}

TEST(UserObjectFile, ReadsAnnouncedObjectsOnly) {
  const std::string longName(70, 'n');
  MapData m;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseUserObjectFile(text("2\n40001, 12, 31x,  Аптека №3, круглосуточно \n"
                                       "abc,7,3,  " +
                                       longName +
                                       "\n"
                                       "1,1,11,extra\n"),
                                  m, problems));
  ASSERT_EQ(m.userObjects.size(), 2u);
  EXPECT_EQ(m.userObjectsDeclared, 2);
  const UserObject& a = m.userObjects[0];
  EXPECT_EQ(static_cast<uint16_t>(a.x), 40001);
  EXPECT_EQ(a.y, 12);
  EXPECT_EQ(a.theme[0], ' ');  // the first two characters of the field
  EXPECT_EQ(a.theme[1], '3');
  EXPECT_EQ(a.name, "Аптека №3, круглосуточно");
  EXPECT_EQ(m.userObjects[1].x, 0);  // not a number reads as 0
  EXPECT_EQ(std::string(m.userObjects[1].name), longName.substr(0, 64));
  EXPECT_TRUE(problems.empty());
}

TEST(UserObjectFile, ShortLinesSkippedAndMissingCountStops) {
  MapData m;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseUserObjectFile(text("3\n1,2\n1,2,33,ok\n"), m, problems));
  ASSERT_EQ(m.userObjects.size(), 1u);
  EXPECT_EQ(m.userObjectsDeclared, 3);
  EXPECT_EQ(m.userObjects[0].name, "ok");
  EXPECT_EQ(problems.size(), 2u);  // the short line, and 1 of 3 stored
  EXPECT_FALSE(parseUserObjectFile({}, m, problems));
}

TEST(SignFile, SecondFieldIsIgnoredAndTextIsTheRest) {
  const std::string longText(90, 't');
  MapData m;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseSignFile(text("2\n  7,999,-3,4,15,-16,Текст, с запятыми  \n"
                                 "8,1,2,3,4,5," +
                                 longText + "\n"),
                            m, problems));
  ASSERT_EQ(m.signRecords.size(), 2u);
  const SignRecord& s = m.signRecords[0];
  EXPECT_EQ(s.id, 7);
  EXPECT_EQ(s.a, -3);
  EXPECT_EQ(s.b, 4);
  EXPECT_EQ(s.p, 15.0f);
  EXPECT_EQ(s.q, -16.0f);
  EXPECT_EQ(s.spare, 0);
  EXPECT_EQ(s.text, "Текст, с запятыми");
  EXPECT_EQ(std::string(m.signRecords[1].text), longText.substr(0, 81));
  EXPECT_EQ(problems.size(), 1u);
}

TEST(TextFiles, OverlongLineIsCutNotSplit) {
  const std::string longName(250, 'q');
  MapData m;
  std::vector<LoadProblem> problems;
  ASSERT_TRUE(parseUserObjectFile(text("5\n1,2,33," + longName + "\n3,4,55,b\n"), m, problems));
  ASSERT_EQ(m.userObjects.size(), 2u);  // the rest of the long line is no object
  EXPECT_EQ(m.userObjects[1].x, 3);
  EXPECT_EQ(std::string(m.userObjects[0].name), longName.substr(0, 64));
  ASSERT_FALSE(problems.empty());
  EXPECT_NE(problems[0].what.find("cut to 199"), std::string::npos);
}

}  // namespace
}  // namespace tikhomap
