// The add-in in a real office: the registration installs the extension into a profile, and a
// headless office process presses its button in a text document, a spreadsheet and a
// presentation; the translations arrive on the X11 clipboard and the documents stay as they were.
// The office taking the add-in in shows on the trace window.
#include <Etc.h>
#include <Messages.h>

#include <enginetests.h>
#include <peerprocess.h>
#include <testhome.h>

#include <platform/bus.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QProcess>

#include <algorithm>
#include <filesystem>
#include <string>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using yv::testing::serveUntil;

bool hasJapanese(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; });
}

// A directory for the office user's profile, which an unprivileged user may own: LibreOffice
// installs extensions per user only for ordinary users, so a test running as root registers as
// "nobody".
class OfficeUserHome final {
public:
    OfficeUserHome()
    {
        std::string pattern = (fs::temp_directory_path() / "yv-office-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            dir = pattern;
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            const group* nogroup = ::getgrnam("nogroup");
            if (nobody && nogroup && ::chown(dir.c_str(), nobody->pw_uid, nogroup->gr_gid) == 0) {
                asNobody = true;
                m_uid = nobody->pw_uid;
                m_gid = nogroup->gr_gid;
            }
        }
    }
    // The office ran as the test's user and wrote into the profile: hand its files back.
    void giveBack() const
    {
        if (!asNobody)
            return;
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(dir, ec))
            EXPECT_EQ(::lchown(entry.path().c_str(), m_uid, m_gid), 0) << entry.path();
    }
    ~OfficeUserHome()
    {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // The registration as a program of its own, in this home, as the toolbox's first run does it.
    std::vector<std::string> registerAddIn(bool unregister = false) const
    {
        const std::string log = (dir / (unregister ? "unenroll.log" : "enroll.log")).string();
        std::vector<std::string> args;
        std::string program = "/usr/bin/env";
        if (asNobody) {
            program = "/usr/bin/setpriv";
            args = {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "/usr/bin/env"};
        }
        for (const std::string& a : {"YORVANE_HOME=" + dir.string(), "HOME=" + dir.string(), std::string(ENROLL_PEER),
                                    std::string("--log"), log})
            args.push_back(a);
        if (unregister)
            args.emplace_back("--unregister");
        yv::testing::ChildProcess peer(program, args);
        EXPECT_TRUE(peer.waitForExit(120000));
        return yv::testing::readLines(log);
    }
    std::string profileUrl() const { return "file://" + (dir / "libreoffice").string(); }

    fs::path dir;
    bool asNobody = false;

private:
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

class AddInInOffice : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        yv::testing::useReferenceEngines(ENGINE_CACHE_DIR);
        static int argc = 1;
        static char name[] = "addin_office_tests";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
    }

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs the X server of the test session";
        yv::testing::writeEngineProfiles(home);
        // The finished note would wait for OK.
        SetRegDWORD(HKEY_CURRENT_USER, nullptr, "AddinEndCheck", 1);
    }

    void TearDown() override
    {
        // Taking the clipboard back ends the add-in program that still holds it.
        QGuiApplication::clipboard()->setText(QStringLiteral("done"));
        yv::testing::closeEngines();
    }

    // The driver's next answer line.
    std::string answer()
    {
        std::string line;
        serveUntil([&] {
            if (!driver.canReadLine())
                return driver.state() == QProcess::NotRunning;
            line = driver.readLine().trimmed().toStdString();
            return true;
        }, 120000);
        return line;
    }

    // Presses the button in a new document and waits for the translation on the clipboard.
    QString press(const std::string& command)
    {
        const QString before = QStringLiteral("before ") + QString::fromStdString(command);
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(before);
        driver.write((command + "\n").c_str());
        EXPECT_EQ(answer(), "pressed " + command);
        QString text;
        EXPECT_TRUE(serveUntil([&] {
            text = clipboard->text();
            return text != before && !text.isEmpty();
        }, 120000)) << command;
        return text;
    }

    yv::testing::TestHome home;
    QProcess driver;
};

TEST_F(AddInInOffice, RegistrationInstallsTheButtonThatTranslatesTheSelection)
{
    const OfficeUserHome office;
    const std::vector<std::string> registered = office.registerAddIn();
    EXPECT_EQ(registered, (std::vector<std::string>{"RegistOffice Word 1", "RegistOffice Excel 1",
                                                    "RegistOffice PowerPoint 1", "RegistOffice Outlook 1",
                                                    "extension listed", "done"}));

    const std::string traced = (home.dir() / "trace.out").string();
    yv::testing::ChildProcess tracer("/bin/sh", {"-c", std::string("exec '") + YVTRACE + "' > '" + traced + "'"});
    ASSERT_TRUE(serveUntil([] { return yv::bus::findWindow(yv::messages::kTraceClass).has_value(); }, 10000));

    driver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    driver.start(QStringLiteral(PYTHON_UNO),
                 {QStringLiteral(OFFICE_DRIVER), QStringLiteral("soffice"), QString::fromStdString(office.profileUrl()),
                  QStringLiteral("yvaddintest%1").arg(::getpid())});
    ASSERT_EQ(answer(), "ready");

    // A selection of one sentence: the text document's command goes through files, line by line.
    const QString selection = press("writer-selection");
    EXPECT_FALSE(selection.contains(QLatin1Char('\n'))) << selection.toStdString();
    EXPECT_TRUE(hasJapanese(selection)) << selection.toStdString();

    // Nothing selected: the whole document, both paragraphs, with a CR LF between them.
    const QString whole = press("writer-whole");
    const QStringList paragraphs = whole.split(QStringLiteral("\r\n"));
    ASSERT_EQ(paragraphs.size(), 2) << whole.toStdString();
    EXPECT_EQ(paragraphs[0], selection);
    EXPECT_TRUE(hasJapanese(paragraphs[1])) << whole.toStdString();

    // Whole columns A to C of a sheet with 2 x 3 cells, one empty: two rows of three cells.
    const QString cells = press("calc");
    const QStringList rows = cells.split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 3) << cells.toStdString();
    EXPECT_TRUE(rows[2].isEmpty());
    EXPECT_EQ(rows[0].count(QLatin1Char('\t')), 2) << cells.toStdString();
    EXPECT_EQ(rows[1].count(QLatin1Char('\t')), 2) << cells.toStdString();
    EXPECT_TRUE(rows[0].contains(QStringLiteral("\t\t"))) << "the empty cell stays empty: " << cells.toStdString();
    EXPECT_TRUE(hasJapanese(rows[1])) << cells.toStdString();

    // One cell: its translation and the row's line end.
    const QString cell = press("calc-cell");
    EXPECT_TRUE(cell.endsWith(QStringLiteral("\r\n"))) << cell.toStdString();
    EXPECT_EQ(cell.left(cell.size() - 2), rows[1].section(QLatin1Char('\t'), 2)) << cell.toStdString();

    // The selected shape of a slide: one line, no line end.
    const QString slide = press("impress");
    EXPECT_FALSE(slide.contains(QLatin1Char('\n')) || slide.contains(QLatin1Char('\r'))) << slide.toStdString();
    EXPECT_TRUE(hasJapanese(slide)) << slide.toStdString();

    driver.write("quit\n");
    EXPECT_EQ(answer(), "toolbar Yorvane5");
    EXPECT_EQ(answer(), "unchanged 5") << "the add-in never writes into the document";
    EXPECT_TRUE(driver.waitForFinished(60000));
    EXPECT_TRUE(yv::bus::postMessage(yv::messages::kTraceClass, yv::messages::kWmClose, 0, 0));
    EXPECT_TRUE(tracer.waitForExit(5000));
    // Once for the office process, however many windows its button serves (the line's own line
    // end may show as an empty line).
    std::vector<std::string> traceLines = yv::testing::readLines(traced);
    std::erase(traceLines, std::string());
    EXPECT_EQ(traceLines, (std::vector<std::string>{"OnConnection"}));

    // Removing the registrations takes the extension away with the last of its programs.
    office.giveBack();
    EXPECT_EQ(office.registerAddIn(true),
              (std::vector<std::string>{"UnRegistOffice Word 1", "UnRegistOffice Excel 1", "UnRegistOffice PowerPoint 1",
                                        "UnRegistOffice Outlook 1", "extension absent", "done"}));
}

} // namespace
