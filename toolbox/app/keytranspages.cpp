// The sheet's key and translation pages.
#include "settingspages.h"

#include <toolboxcore/settingsrules.h>
#include <toolboxcore/settingstexts.h>
#include <toolboxcore/toolboxtexts.h>

#include <platform/messagebox.h>

#include <QButtonGroup>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>

namespace yv::toolbox {

namespace {

QString q(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The Windows virtual-key code of a Qt key; 0 for keys the hot keys cannot use.
std::uint8_t virtualKeyOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::uint8_t>('A' + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<std::uint8_t>('0' + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::uint8_t>(0x70 + (key - Qt::Key_F1));
    struct Pair {
        int qt;
        std::uint8_t vk;
    };
    static constexpr Pair kKeys[] = {
        {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},      {Qt::Key_Clear, 0x0C},     {Qt::Key_Return, 0x0D},
        {Qt::Key_Enter, 0x0D},     {Qt::Key_Pause, 0x13},    {Qt::Key_CapsLock, 0x14},  {Qt::Key_Kanji, 0x19},
        {Qt::Key_Escape, 0x1B},    {Qt::Key_Henkan, 0x1C},   {Qt::Key_Muhenkan, 0x1D},  {Qt::Key_Space, 0x20},
        {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},       {Qt::Key_Home, 0x24},
        {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},       {Qt::Key_Right, 0x27},     {Qt::Key_Down, 0x28},
        {Qt::Key_Select, 0x29},    {Qt::Key_Print, 0x2C},    {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},
        {Qt::Key_Help, 0x2F},      {Qt::Key_NumLock, 0x90},  {Qt::Key_ScrollLock, 0x91},
    };
    for (const Pair& pair : kKeys) {
        if (pair.qt == key)
            return pair.vk;
    }
    return 0;
}

std::uint8_t modifierFlagsOf(Qt::KeyboardModifiers modifiers)
{
    std::uint8_t flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= ModShift;
    if (modifiers & Qt::ControlModifier)
        flags |= ModCtrl;
    if (modifiers & Qt::AltModifier)
        flags |= ModAlt;
    return flags;
}

} // namespace

// A hot-key control: shows its key's name and takes the next key pressed in it (Backspace
// alone clears it).
class HotKeyEdit final : public QLineEdit {
public:
    explicit HotKeyEdit(QWidget* parent)
        : QLineEdit(parent)
    {
        setReadOnly(true);
        setContextMenuPolicy(Qt::NoContextMenu);
    }

    HotKeyCode code() const { return m_code; }
    void setCode(HotKeyCode code)
    {
        m_code = code;
        setText(code == 0 ? QStringLiteral("なし") : q(keyName(code)));
    }
    std::function<void()> onChange;

protected:
    bool event(QEvent* event) override
    {
        // Tab is a key like the others here, not a move to the next control.
        if (event->type() == QEvent::KeyPress) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
        return QLineEdit::event(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const std::uint8_t modifiers = modifierFlagsOf(event->modifiers());
        const std::uint8_t key = virtualKeyOf(event->key());
        std::optional<HotKeyCode> entry = hotKeyEntry(modifiers, key);
        if (!entry && key == 0x08 && (modifiers & (ModShift | ModCtrl)) == 0)
            entry = 0;
        event->accept();
        if (!entry || *entry == m_code)
            return;
        setCode(*entry);
        if (onChange)
            onChange();
    }

private:
    HotKeyCode m_code = 0;
};

KeysSettingsPage::KeysSettingsPage(SheetServices& services)
    : SettingsPage(services)
{
    static constexpr const char* kLabels[] = {"翻訳", "辞書", "CD-ROM", "例文"};
    static constexpr const char* kNames[] = {"translate", "dictionary", "cdrom", "example"};
    KeySettings keys{};
    LoadEnvKeys(&keys);
    const HotKeyCode codes[] = {keys.translate, keys.dictionary, keys.cdrom, keys.example};
    auto* box = new QGroupBox(QStringLiteral("ホットキー"), this);
    auto* form = new QFormLayout(box);
    for (std::size_t i = 0; i < m_keys.size(); ++i) {
        auto* edit = new HotKeyEdit(box);
        edit->setObjectName(QString::fromLatin1(kNames[i]));
        edit->setCode(codes[i]);
        edit->onChange = [this] { markChanged(); };
        describe(edit, kKeyDescriptions[i]);
        auto* label = new QLabel(QString::fromUtf8(kLabels[i]), box);
        describe(label, kKeyDescriptions[i]);
        form->addRow(label, edit);
        m_keys[i] = edit;
    }
    m_body->addWidget(box);
}

KeySettings KeysSettingsPage::current() const
{
    return {m_keys[0]->code(), m_keys[1]->code(), m_keys[2]->code(), m_keys[3]->code()};
}

bool KeysSettingsPage::validate()
{
    const KeySettings keys = current();
    if (!hotKeysClash({keys.translate, keys.dictionary, keys.cdrom, keys.example}))
        return true;
    tell(msgbox::IconExclamation, std::string(kDuplicateKeys));
    return false;
}

void KeysSettingsPage::save()
{
    if (!changed())
        return;
    const KeySettings keys = current();
    SaveEnvKeys(&keys);
    setSaved();
}

QButtonGroup* TransSettingsPage::group(const char* name, const std::vector<const char*>& labels,
                                       std::string_view description, int engine)
{
    auto* box = new QGroupBox(QString::fromUtf8(name), this);
    describe(box, description);
    auto* row = new QHBoxLayout(box);
    auto* buttons = new QButtonGroup(box);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(labels[i]), box);
        buttons->addButton(radio, static_cast<int>(i) + 1);
        row->addWidget(radio);
    }
    row->addStretch();
    m_body->addWidget(box);
    connect(buttons, &QButtonGroup::idClicked, this, [this, engine] {
        markChanged();
        if (engine == DIRECTION_EJ)
            m_ejChanged = true;
        else if (engine == DIRECTION_JE)
            m_jeChanged = true;
    });
    return buttons;
}

TransSettingsPage::TransSettingsPage(SheetServices& services)
    : SettingsPage(services)
{
    auto* precisionBox = new QGroupBox(QStringLiteral("翻訳精度（英→日）"), this);
    describe(precisionBox, kPrecisionDescription);
    auto* precisionRow = new QHBoxLayout(precisionBox);
    precisionRow->addWidget(new QLabel(QStringLiteral("速度優先"), precisionBox));
    m_precision = new QSlider(Qt::Horizontal, precisionBox);
    m_precision->setObjectName(QStringLiteral("precision"));
    m_precision->setRange(0, kPrecisionSteps);
    m_precision->setTickPosition(QSlider::TicksBelow);
    m_precision->setPageStep(1);
    precisionRow->addWidget(m_precision);
    precisionRow->addWidget(new QLabel(QStringLiteral("精度優先"), precisionBox));
    m_body->addWidget(precisionBox);

    m_imperative = group("命令文の訳（英→日）", {"しなさい", "すること", "する"}, kImperativeDescription, DIRECTION_EJ);
    m_style = group("文末の表現（英→日）", {"である", "です・ます"}, kStyleDescription, DIRECTION_EJ);
    m_you = group("主語のYOU（英→日）", {"訳出", "省略"}, kYouDescription, DIRECTION_EJ);
    m_subject = group("主語がない場合の訳語（日→英）", {"it", "I", "we", "you", "they", "this"}, kSubjectDescription, DIRECTION_JE);
    // The direction is no engine option: changing it resets no engine.
    m_direction = group("翻訳の方向", {"自動判定", "英→日", "日→英"}, kDirectionDescription, DIRECTION_AUTO);
    for (auto [group, name] : {std::pair{m_imperative, "imperative"}, {m_style, "style"}, {m_you, "you"},
                               {m_subject, "subject"}, {m_direction, "direction"}})
        group->setObjectName(QString::fromLatin1(name));

    TransSettings settings{1, 1, 1, 1, 60000};
    LoadEnvTrans(&settings);
    const auto check = [](QButtonGroup* buttons, int id) {
        if (QAbstractButton* button = buttons->button(id))
            button->setChecked(true);
    };
    check(m_subject, settings.subject);
    check(m_imperative, settings.imperative);
    check(m_style, settings.style);
    check(m_you, settings.you);
    m_precision->setValue(precisionPositionOf(settings.parLimit));
    connect(m_precision, &QSlider::valueChanged, this, [this] {
        markChanged();
        m_ejChanged = true;
    });
    followDirection();
}

void TransSettingsPage::followDirection()
{
    const std::uint32_t direction = GetRegDWORD(0, nullptr, "翻訳方向", DIRECTION_AUTO);
    if (QAbstractButton* button = m_direction->button(direction <= DIRECTION_JE ? static_cast<int>(direction) + 1 : 1))
        button->setChecked(true);
}

void TransSettingsPage::save()
{
    if (m_ejChanged || m_jeChanged) {
        TransSettings settings{};
        settings.subject = static_cast<std::uint16_t>(m_subject->checkedId());
        settings.imperative = static_cast<std::uint16_t>(m_imperative->checkedId());
        settings.style = static_cast<std::uint16_t>(m_style->checkedId());
        settings.you = static_cast<std::uint16_t>(m_you->checkedId());
        settings.parLimit = parLimitOf(m_precision->value());
        SaveEnvTrans(&settings);
        if (m_ejChanged)
            ResetEngine(0, DIRECTION_EJ);
        if (m_jeChanged)
            ResetEngine(0, DIRECTION_JE);
    }
    // The direction is told every time: boxes that missed a change catch up.
    PostDirectionChanged(std::max(m_direction->checkedId(), 1) - 1);
    m_ejChanged = m_jeChanged = false;
    setSaved();
}

} // namespace yv::toolbox
