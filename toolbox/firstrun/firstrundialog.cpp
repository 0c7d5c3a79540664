// The first-run dialog "初期ﾃﾞｰﾀ設定".
#include "firstrundialog.h"

#include "datacopy.h"
#include "datafolder.h"
#include "firstrunsetup.h"

#include <Etc.h>
#include <platform/messagebox.h>

#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <cerrno>

namespace yv::toolbox {

namespace fs = std::filesystem;
using namespace firstrun;

namespace {

constexpr unsigned kErrorStyle = msgbox::Ok | msgbox::IconExclamation;

constexpr const char* kNoFolder = "ﾌｫﾙﾀﾞを指定してください。";
constexpr const char* kFileExists = "「%s」は既に存在します。\n別なﾌｫﾙﾀﾞを指定してください。";
constexpr const char* kCannotCreate = "ﾌｫﾙﾀﾞを作成できませんでした。";
constexpr const char* kNoSampleData = "ｻﾝﾌﾟﾙﾃﾞｰﾀが見つかりません。再ｲﾝｽﾄｰﾙしてください。";
// The installed data itself (or a folder inside it) cannot be the user's copy of it.
constexpr const char* kInsideInstalledData =
    "ｲﾝｽﾄｰﾙされたｻﾝﾌﾟﾙﾃﾞｰﾀのﾌｫﾙﾀﾞは指定できません。\n別なﾌｫﾙﾀﾞを指定してください。";
constexpr const char* kPleaseWait = "お待ちください...";
// A copy that stopped: what failed and why; the files copied so far are complete and stay,
// and OK again copies what is still missing.
constexpr const char* kCopyFailed =
    "ﾃﾞｰﾀをｺﾋﾟｰできませんでした。\n「%s」\n%s\n\nｺﾋﾟｰ済みのﾌｧｲﾙはそのまま残ります。"
    "もう一度OKを押すと、残りのﾌｧｲﾙをｺﾋﾟｰします。";

std::string reasonText(const std::error_code& code)
{
    if (code == std::errc::no_space_on_device)
        return "ﾃﾞｨｽｸの空き容量が足りません。";
    if (code == std::errc::permission_denied || code == std::errc::operation_not_permitted
        || code == std::errc::read_only_file_system)
        return "書き込みが許可されていません。";
    return code.message();
}

fs::path desktopDocumentsDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}

void reportCopyError(const CopyError& error)
{
    PrintBox(0, kErrorStyle, kCopyFailed, error.path.c_str(), reasonText(error.code).c_str());
}

// True when the user's copy of the installed example data would lie in that data itself.
bool insideInstalledData(const fs::path& folder)
{
    const fs::path installed = installedSampleData();
    if (installed.empty())
        return false;
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(userSampleDataDir(folder, installed), ec);
    const fs::path inside = target.lexically_relative(fs::weakly_canonical(installed, ec));
    return !inside.empty() && *inside.begin() != "..";
}

} // namespace

FirstRunDialog::FirstRunDialog(QWidget* parent, fs::path documentsDir)
    : QDialog(parent)
    , m_documentsDir(documentsDir.empty() ? desktopDocumentsDir() : std::move(documentsDir))
{
    setWindowTitle(QStringLiteral("初期ﾃﾞｰﾀ設定"));
    setModal(true);
    const QString title = QString::fromUtf8(kProductTitle);

    auto* intro = new QLabel(
        QStringLiteral("%1のﾕｰｻﾞ辞書と例文ﾃﾞｰﾀを置くﾌｫﾙﾀﾞを指定してください。\n"
                       "「%2」は、ドキュメントﾌｫﾙﾀﾞ (%3) を表します。")
            .arg(title, QString::fromUtf8(kDocumentsLabel.data(), static_cast<int>(kDocumentsLabel.size())),
                 QString::fromStdString(m_documentsDir.string())),
        this);
    intro->setWordWrap(true);

    m_folder = new QLineEdit(QString::fromStdString(proposedFolderText(kProductTitle)), this);
    m_folder->setMinimumWidth(420);
    m_browse = new QPushButton(QStringLiteral("ﾌｫﾙﾀﾞの指定"), this);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_browse);

    m_wait = new QLabel(QString::fromUtf8(kPleaseWait), this);
    m_wait->setVisible(false);
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setVisible(false);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(folderRow);
    layout->addWidget(m_wait);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    chooseFolder = [](QWidget* owner, const QString& start) {
        return QFileDialog::getExistingDirectory(owner, QStringLiteral("ﾌｫﾙﾀﾞの指定"), start);
    };
    connect(m_browse, &QPushButton::clicked, this, &FirstRunDialog::browse);
    connect(m_ok, &QPushButton::clicked, this, &FirstRunDialog::applyFolder);
    connect(m_cancel, &QPushButton::clicked, this, &FirstRunDialog::reject);
}

void FirstRunDialog::reject()
{
    // Closing the window in the middle of a copy would leave the folder half filled.
    if (!m_busy)
        QDialog::reject();
}

void FirstRunDialog::browse()
{
    fs::path start = resolveFolderText(m_folder->text().toStdString(), m_documentsDir);
    std::error_code ec;
    while (!start.empty() && start != start.parent_path() && !fs::is_directory(start, ec))
        start = start.parent_path();
    const QString chosen = chooseFolder(this, QString::fromStdString(start.string()));
    if (!chosen.isEmpty())
        m_folder->setText(QString::fromStdString(folderTextFor(chosen.toStdString(), m_documentsDir)));
}

void FirstRunDialog::setBusy(bool busy)
{
    m_busy = busy;
    m_wait->setVisible(busy);
    m_progress->setVisible(busy);
    m_ok->setEnabled(!busy);
    m_cancel->setEnabled(!busy);
    m_browse->setEnabled(!busy);
    m_folder->setEnabled(!busy);
}

bool FirstRunDialog::applyFolder()
{
    if (m_busy)
        return false;
    const fs::path folder = resolveFolderText(m_folder->text().toStdString(), m_documentsDir);
    if (folder.empty()) {
        PrintBox(0, kErrorStyle, "%s", kNoFolder);
        return false;
    }
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (fs::exists(status) && !fs::is_directory(status)) {
        PrintBox(0, kErrorStyle, kFileExists, folder.c_str());
        return false;
    }
    if (insideInstalledData(folder)) {
        PrintBox(0, kErrorStyle, "%s", kInsideInstalledData);
        return false;
    }
    if (!fs::exists(status)) {
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder, ec)) {
            PrintBox(0, kErrorStyle, "%s", kCannotCreate);
            return false;
        }
    }
    for (const int direction : {DIRECTION_EJ, DIRECTION_JE}) {
        if (const auto error = setUpUserDictionaries(folder, direction)) {
            reportCopyError(*error);
            return false;
        }
    }
    fs::path copied;
    if (!copySampleData(folder, &copied))
        return false;
    storeUserSampleData(copied);
    accept();
    return true;
}

bool FirstRunDialog::copySampleData(const fs::path& folder, fs::path* copied)
{
    const fs::path installed = installedSampleData();
    std::error_code ec;
    if (installed.empty() || !fs::is_directory(installed, ec)) {
        PrintBox(0, kErrorStyle, "%s", kNoSampleData);
        return false;
    }
    const fs::path target = userSampleDataDir(folder, installed);
    setBusy(true);
    m_progress->setValue(0);
    QCoreApplication::processEvents();
    const PlanResult planned = planTreeCopy(installed, target);
    CopyOutcome outcome;
    if (planned.error) {
        outcome.error = planned.error;
    } else {
        outcome = runCopy(planned.plan, [this](std::uintmax_t done, std::uintmax_t total) {
            m_progress->setValue(total == 0 ? 100 : static_cast<int>(done * 100 / total));
            QCoreApplication::processEvents();
        });
    }
    setBusy(false);
    if (outcome.error) {
        reportCopyError(*outcome.error);
        return false;
    }
    m_progress->setValue(100);
    *copied = target;
    return true;
}

} // namespace yv::toolbox
