#include "tests/TestSupport.h"
#include "tests/platform/NetnsEnv.h"
#include "tests/ui/UiFixtures.h"

#include <QDir>
#include <QContextMenuEvent>
#include <QMenu>

#include <filesystem>
#include <fstream>

#include <sys/mount.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Export : DialogFixture
{
    qv::test::TempDir dir;
    CArpListCtrl list;

    void SetUp() override
    {
        DialogFixture::SetUp();
        list.SetUpColumns();
    }
    void Add(std::vector<const char*> cells)
    {
        const int row = list.rowCount();
        list.InsertItem(row, QString::fromUtf8(cells[0]));
        for (int c = 1; c < 5; ++c)
            list.SetItemText(row, c, QString::fromUtf8(cells[c]));
    }
    std::string In(const std::string& name) const { return dir.Path() + "/" + name; }
};

TEST_F(Export, WritesTheExactBytesOfEveryRow)
{
    Add({"192.168.0.1", "gateway", "00:11:22:33:44:55", "N/A", "Dynamic"});
    Add({"10.0.0.1", "", "", "N/A", ""});
    Add({"10.0.0.2", "名前.test", "00:00:00:00:00:00", "XEROX CORPORATION", "Static"});
    list.selectRow(1);
    savePath = QString::fromStdString(In("arp.txt"));
    ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
    EXPECT_EQ(qv::test::ReadFile(In("arp.txt")),
              "192.168.0.1\tgateway\t00:11:22:33:44:55\tN/A\tDynamic\t\r"
              "10.0.0.1\t\t\tN/A\t\t\r"
              "10.0.0.2\t\xE5\x90\x8D\xE5\x89\x8D.test\t00:00:00:00:00:00\tXEROX CORPORATION\tStatic\t\r");
    EXPECT_TRUE(errors.empty());
}

// The first type is the one the list was always saved as; TSV and CSV come
// by the filter left chosen or by the typed extension.
TEST_F(Export, EachTypeWritesItsOwnBytesAndSaveTakesTheRowsTheFilterShows)
{
    Add({"10.0.0.1", "gw, \"main\"", "00:11:22:33:44:55", "Cisco Systems, Inc", "Dynamic"});
    Add({"10.0.0.2", "b", "02:00:00:00:00:02", "Locally administered", "Static"});
    const std::string tsv = "IP address\tDNS Name\tMAC Address\tProducer\tType\n"
                            "10.0.0.1\tgw, \"main\"\t00:11:22:33:44:55\tCisco Systems, Inc\tDynamic\n"
                            "10.0.0.2\tb\t02:00:00:00:00:02\tLocally administered\tStatic\n";
    const std::string csv =
        "IP address,DNS Name,MAC Address,Producer,Type\r\n"
        "10.0.0.1,\"gw, \"\"main\"\"\",00:11:22:33:44:55,\"Cisco Systems, Inc\",Dynamic\r\n"
        "10.0.0.2,b,02:00:00:00:00:02,Locally administered,Static\r\n";
    const struct
    {
        const char* typed;
        const char* filter;
        const char* written;
        std::string bytes;
    } cases[] = {
        {"plain", "", "plain.txt",
         "10.0.0.1\tgw, \"main\"\t00:11:22:33:44:55\tCisco Systems, Inc\tDynamic\t\r"
         "10.0.0.2\tb\t02:00:00:00:00:02\tLocally administered\tStatic\t\r"},
        {"by-filter", "TSV (*.tsv)", "by-filter.tsv", tsv},
        {"by-filter", "CSV (*.csv)", "by-filter.csv", csv},
        {"typed.TSV", "", "typed.TSV", tsv},
        {"typed.csv", "Text Files (*.txt)", "typed.csv", csv},
    };
    for (const auto& c : cases) {
        savePath = QString::fromStdString(In(c.typed));
        saveFilter = QString::fromLatin1(c.filter);
        ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
        EXPECT_EQ(qv::test::ReadFile(In(c.written)), c.bytes) << c.written;
    }
    EXPECT_EQ(offeredFilters, QStringLiteral("Text Files (*.txt);;TSV (*.tsv);;CSV (*.csv)"));
    list.SetFilter(QStringLiteral("LOCALLY"));
    savePath = QString::fromStdString(In("shown.tsv"));
    ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
    EXPECT_EQ(qv::test::ReadFile(In("shown.tsv")),
              "IP address\tDNS Name\tMAC Address\tProducer\tType\n"
              "10.0.0.2\tb\t02:00:00:00:00:02\tLocally administered\tStatic\n");
}

TEST_F(Export, AnEmptyListGivesAnEmptyFileReplacingAnOldOne)
{
    std::ofstream(In("old.txt")) << "old content";
    savePath = QString::fromStdString(In("old.txt"));
    ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
    EXPECT_EQ(fs::file_size(In("old.txt")), 0u);
}

TEST_F(Export, ANameWithoutExtensionGetsTxt)
{
    Add({"10.0.0.1", "a", "b", "c", "d"});
    const std::pair<const char*, const char*> cases[] = {
        {"arp", "arp.txt"}, {"arp.", "arp..txt"}, {"arp.log", "arp.log"}, {"arp.TXT", "arp.TXT"}};
    for (const auto& [chosen, written] : cases) {
        savePath = QString::fromStdString(In(chosen));
        ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
        EXPECT_TRUE(fs::exists(In(written))) << chosen;
    }
    // Only the file name counts, not a dot in a folder's name.
    fs::create_directory(In("dir.d"));
    savePath = QString::fromStdString(In("dir.d/list"));
    ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
    EXPECT_TRUE(fs::exists(In("dir.d/list.txt")));
}

TEST_F(Export, AppendingTxtAsksBeforeReplacingAFile)
{
    Add({"10.0.0.1", "a", "b", "c", "d"});
    std::ofstream(In("arp.txt")) << "precious";
    savePath = QString::fromStdString(In("arp"));
    confirmAnswer = false;
    ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
    ASSERT_EQ(confirmations.size(), 1u);
    EXPECT_TRUE(confirmations[0].contains(QStringLiteral("arp.txt")));
    EXPECT_EQ(qv::test::ReadFile(In("arp.txt")), "precious");
    confirmAnswer = true;
    ASSERT_TRUE(CArpListCtrl::SaveListToFile(&list));
    EXPECT_EQ(qv::test::ReadFile(In("arp.txt")), "10.0.0.1\ta\tb\tc\td\t\r");
}

TEST_F(Export, CancelWritesNothingAndTheCurrentFolderIsKept)
{
    const QString before = QDir::currentPath();
    savePath.clear();
    EXPECT_TRUE(CArpListCtrl::SaveListToFile(&list));
    EXPECT_EQ(QDir::currentPath(), before);
    qv::ActivePrompts().chooseSavePath = [this](QWidget*, const QString&, QString*) {
        QDir::setCurrent(QString::fromStdString(dir.Path())); // as a file dialog may do
        return QString::fromStdString(In("x.txt"));
    };
    EXPECT_TRUE(CArpListCtrl::SaveListToFile(&list));
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_TRUE(fs::is_empty(dir.Path()) == false);
}

// A folder that refuses writes, even to root: a read-only tmpfs.
struct MountedFolder
{
    std::string path;
    bool mounted = false;
    MountedFolder(const std::string& where, const char* options) : path(where)
    {
        fs::create_directory(path);
        mounted = ::getuid() == 0 && ::mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0;
    }
    void ReadOnly() { ::mount(nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k"); }
    ~MountedFolder()
    {
        if (mounted)
            ::umount2(path.c_str(), MNT_DETACH);
    }
};

TEST_F(Export, AFolderThatCannotBeWrittenGivesAMessageAndNoFile)
{
    MountedFolder folder(In("ro"), "size=64k");
    if (!folder.mounted) {
        // Not root: a plain read-only folder does the same.
        fs::permissions(folder.path, fs::perms::owner_read | fs::perms::owner_exec);
    } else {
        folder.ReadOnly();
    }
    Add({"10.0.0.1", "a", "b", "c", "d"});
    savePath = QString::fromStdString(folder.path + "/arp.txt");
    EXPECT_FALSE(CArpListCtrl::SaveListToFile(&list));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("arp.txt"))) << errors[0].toStdString();
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("无法保存文件")));
    EXPECT_FALSE(fs::exists(folder.path + "/arp.txt"));
}

TEST_F(Export, AFullDiskKeepsTheOldFileWhateverTheListsSize)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    MountedFolder folder(In("full"), "size=64k");
    ASSERT_TRUE(folder.mounted);
    std::ofstream(folder.path + "/arp.txt") << "yesterday's list";
    {
        // Every free block taken, as dd does.
        std::ofstream filler(folder.path + "/filler");
        const std::string block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block.data(), block.size()); ++i) {
        }
    }
    savePath = QString::fromStdString(folder.path + "/arp.txt");
    // Smaller than any buffer, and larger than the disk.
    for (const int rows : {1, 2000}) {
        while (list.rowCount() < rows)
            Add({"10.0.0.1", "a-long-host-name.example", "00:11:22:33:44:55", "Vendor", "Dynamic"});
        errors.clear();
        EXPECT_FALSE(CArpListCtrl::SaveListToFile(&list)) << rows;
        ASSERT_EQ(errors.size(), 1u) << rows;
        EXPECT_TRUE(errors[0].contains(QStringLiteral("No space left on device"))) << errors[0].toStdString();
        EXPECT_EQ(qv::test::ReadFile(folder.path + "/arp.txt"), "yesterday's list") << rows;
        // No half-written temporary is left behind either.
        int files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path))
            ++files;
        EXPECT_EQ(files, 2) << rows;
    }
}

TEST_F(Export, RightClickAnywhereOffersSaveWhichWritesTheList)
{
    auto dialog = MakeDialog();
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    ASSERT_TRUE(WaitForPass(*dialog));
    savePath = QString::fromStdString(In("from-menu"));
    // Below the last row: the empty part of the list.
    const QPoint empty(20, dialog->m_list->viewport()->height() - 5);
    QContextMenuEvent click(QContextMenuEvent::Mouse, empty, dialog->m_list->viewport()->mapToGlobal(empty));
    QApplication::sendEvent(dialog->m_list->viewport(), &click);
    QMenu* menu = dialog->m_list->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("保存"));
    EXPECT_EQ(menu->actions()[0]->data().toInt(), CArpListCtrl::ID_LIST_SAVE);
    menu->actions()[0]->trigger();
    menu->close();
    EXPECT_EQ(qv::test::ReadFile(In("from-menu.txt")),
              "10.0.0.1\trouter.test\t00:00:0C:01:02:03\tCisco Systems, Inc\tDynamic\t\r"
              "10.0.0.3\t10.0.0.3\tAA:00:04:01:02:03\tDIGITAL EQUIPMENT CORPORATION\tStatic\t\r");
}

} // namespace
