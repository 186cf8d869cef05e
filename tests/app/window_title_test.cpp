#include "app/window_title.h"

#include <gtest/gtest.h>

#include "app/view_titles.h"

namespace vespian {
namespace {

TEST(WindowTitle, NamesTheDatabaseAndMarksUnsavedChanges) {
    EXPECT_EQ(mainWindowTitle("", false), "Vespian2002 v2.9.10.12") << "nothing open, nothing to save";
    EXPECT_EQ(mainWindowTitle("lab.03D", false), "Vespian2002 v2.9.10.12 - lab.03D");
    EXPECT_EQ(mainWindowTitle("lab.03D", true), "Vespian2002 v2.9.10.12 - lab.03D*");
    EXPECT_EQ(mainWindowTitle("", true), "Vespian2002 v2.9.10.12 - 未命名数据库*") << "records with no file yet";
}

TEST(ViewTitles, TheListViewAndTheOpenButtonSayWhatTheyShowAndOpen) {
    EXPECT_EQ(listViewTabTitle(RecordList::Standards), "标样列表");
    EXPECT_EQ(listViewTabTitle(RecordList::Samples), "样品列表");
    EXPECT_EQ(listViewTabTitle(RecordList::Reports), "BET列表");
    EXPECT_EQ(listViewCaption(RecordList::Samples, ListPage::Rows), "对比分析法样品数据");
    EXPECT_EQ(listViewCaption(RecordList::Reports, ListPage::Rows), "BET分析法样品数据");
    EXPECT_NE(listViewCaption(RecordList::Reports, ListPage::PorePage), listViewCaption(RecordList::Reports, ListPage::BetPage));
    EXPECT_EQ(openToolTip(ViewMode::Trace), "打开一个谱图文件");
    EXPECT_EQ(openToolTip(ViewMode::Report), "打开一个报告文件");
    EXPECT_EQ(openToolTip(ViewMode::BetList), "打开一个数据库");
}

}  // namespace
}  // namespace vespian
