// The engine's registration dialog.
#include "registrationdialog.h"

#include <engine/translator.h>
#include <platform/codec.h>
#include <platform/messagebox.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace yv::engineapp {

namespace {

QString fromCp932(const std::string& s)
{
    return QString::fromStdString(codec::cp932ToUtf8(s));
}

std::string toCp932(const QString& s)
{
    return codec::utf8ToCp932(s.trimmed().toStdString());
}

} // namespace

RegistrationDialog::RegistrationDialog(const std::string& word, std::filesystem::path dictionary,
                                       bool japaneseToEnglish)
    : m_dictionary(std::move(dictionary))
    , m_headword(new QLineEdit(fromCp932(word), this))
    , m_translation(new QLineEdit(this))
    , m_partOfSpeech(new QComboBox(this))
{
    setWindowTitle(japaneseToEnglish ? QStringLiteral("単語登録 (日英)") : QStringLiteral("単語登録 (英日)"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_partOfSpeech->addItems({QStringLiteral("名詞"), QStringLiteral("動詞"), QStringLiteral("形容詞"),
                              QStringLiteral("副詞"), QStringLiteral("その他")});
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("見出し語"), m_headword);
    form->addRow(QStringLiteral("訳語"), m_translation);
    form->addRow(QStringLiteral("品詞"), m_partOfSpeech);
    form->addRow(QStringLiteral("辞書"), new QLineEdit(QString::fromStdString(m_dictionary.string()), this));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("登録"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { registerWord(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    (m_headword->text().isEmpty() ? m_headword : m_translation)->setFocus();
}

void RegistrationDialog::registerWord()
{
    const engine::userdic::Entry entry{toCp932(m_headword->text()), toCp932(m_translation->text()),
                                       toCp932(m_partOfSpeech->currentText())};
    if (entry.headword.empty() || entry.translation.empty()) {
        msgbox::show(static_cast<std::uint64_t>(winId()), msgbox::Ok | msgbox::IconExclamation,
                     "見出し語と訳語を入力してください。");
        return;
    }
    if (!engine::userdic::read(m_dictionary) && !engine::userdic::create(m_dictionary)) {
        msgbox::show(static_cast<std::uint64_t>(winId()), msgbox::Ok | msgbox::IconExclamation,
                     "ユーザ辞書を作成できませんでした。");
        return;
    }
    if (!engine::userdic::add(m_dictionary, entry)) {
        msgbox::show(static_cast<std::uint64_t>(winId()), msgbox::Ok | msgbox::IconExclamation,
                     "ユーザ辞書に登録できませんでした。");
        return;
    }
    accept();
}

} // namespace yv::engineapp
