// The settings groups loaded and saved as records (engine options, hot keys, programs, voice).
#include "registry_p.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

using namespace yv::etc::internal;

struct Choice {
    std::string_view text;
    uint16_t code;
};

// Stored texts and record codes of the engine options; comparisons are exact.
constexpr std::array kSubjects{Choice{"I", 2}, Choice{"we", 3}, Choice{"you", 4},
                               Choice{"they", 5}, Choice{"this", 6}, Choice{"it", 1}};
constexpr std::array kImperatives{Choice{"SURU", 3}, Choice{"KOTO", 2}, Choice{"NASAI", 1}};
constexpr std::array kStyles{Choice{"DEARU", 1}, Choice{"DESUMASU", 2}};
constexpr std::array kYou{Choice{"OFF", 2}, Choice{"ON", 1}};

constexpr const char* kEjSubkey = "RELAYER/EJ";
constexpr const char* kJeSubkey = "RELAYER/JE";
constexpr uint32_t kDefaultParLimit = 60000;
constexpr uint32_t kEngineTextSize = 128;

template <std::size_t N>
void loadChoice(const std::array<Choice, N>& table, const char* subkey, const char* name,
                const char* def, int direction, uint16_t& field)
{
    char text[kEngineTextSize];
    GetRegStr_Engine(0, subkey, name, text, sizeof text, def, direction);
    for (const Choice& c : table) {
        if (c.text == text) {
            field = c.code;
            return;
        }
    }
}

template <std::size_t N>
void saveChoice(const std::array<Choice, N>& table, const char* subkey, const char* name,
                int direction, uint16_t field)
{
    for (const Choice& c : table) {
        if (c.code == field) {
            SetRegStr_Engine(HKEY_CURRENT_USER, subkey, name, std::string(c.text).c_str(), direction);
            return;
        }
    }
}

uint16_t low16(uint32_t v)
{
    return static_cast<uint16_t>(v);
}

constexpr const char* kKeyGroup = "キー設定";
constexpr const char* kSoftGroup = "ソフト設定";
constexpr const char* kVoiceGroup = "音声設定";

} // namespace

extern "C" {

void LoadEnvTrans(TransSettings* s)
{
    if (!s)
        return;
    loadChoice(kSubjects, kJeSubkey, "SUBJ", "it", DIRECTION_JE, s->subject);
    loadChoice(kImperatives, kEjSubkey, "IMP", "NASAI", DIRECTION_EJ, s->imperative);
    loadChoice(kStyles, kEjSubkey, "TSTYLE", "DEARU", DIRECTION_EJ, s->style);
    loadChoice(kYou, kEjSubkey, "YOU", "ON", DIRECTION_EJ, s->you);
    s->parLimit = GetRegDWORD(0, kEjSubkey, "ParLimit", kDefaultParLimit);
}

void SaveEnvTrans(const TransSettings* s)
{
    if (!s)
        return;
    saveChoice(kSubjects, kJeSubkey, "SUBJ", DIRECTION_JE, s->subject);
    saveChoice(kImperatives, kEjSubkey, "IMP", DIRECTION_EJ, s->imperative);
    saveChoice(kStyles, kEjSubkey, "TSTYLE", DIRECTION_EJ, s->style);
    saveChoice(kYou, kEjSubkey, "YOU", DIRECTION_EJ, s->you);
    SetRegDWORD(HKEY_CURRENT_USER, kEjSubkey, "ParLimit", s->parLimit);
}

void LoadEnvKeys(KeySettings* s)
{
    if (!s)
        return;
    s->translate = low16(GetRegDWORD(0, kKeyGroup, "翻訳", 122));
    s->dictionary = low16(GetRegDWORD(0, kKeyGroup, "辞書", 625));
    s->cdrom = low16(GetRegDWORD(0, kKeyGroup, "CDROM", 634));
    s->example = low16(GetRegDWORD(0, kKeyGroup, "例文", 635));
}

void SaveEnvKeys(const KeySettings* s)
{
    if (!s)
        return;
    SetRegDWORD(HKEY_CURRENT_USER, kKeyGroup, "翻訳", s->translate);
    SetRegDWORD(HKEY_CURRENT_USER, kKeyGroup, "辞書", s->dictionary);
    SetRegDWORD(HKEY_CURRENT_USER, kKeyGroup, "CDROM", s->cdrom);
    SetRegDWORD(HKEY_CURRENT_USER, kKeyGroup, "例文", s->example);
}

void LoadEnvSoft(SoftSettings* s)
{
    if (!s)
        return;
    s->txtAuto = GetRegDWORD(0, kSoftGroup, "txt_auto", 1);
    s->txtId = low16(GetRegDWORD(0, kSoftGroup, "txt_id", 1));
    GetRegStr(0, kSoftGroup, "txt_exe", s->txtExe, sizeof s->txtExe, "");
    s->docAuto = GetRegDWORD(0, kSoftGroup, "doc_auto", 1);
    s->docId = low16(GetRegDWORD(0, kSoftGroup, "doc_id", 1));
    s->pptAuto = GetRegDWORD(0, kSoftGroup, "ppt_auto", 1);
    s->pptId = low16(GetRegDWORD(0, kSoftGroup, "ppt_id", 1));
    s->xlsAuto = GetRegDWORD(0, kSoftGroup, "xls_auto", 1);
    s->xlsId = low16(GetRegDWORD(0, kSoftGroup, "xls_id", 1));
    s->spyglass = low16(GetRegDWORD(0, kSoftGroup, "spyglass", 1));
    s->spyglassTime = low16(GetRegDWORD(0, kSoftGroup, "spyglass_time", 1000));
    s->spyglassExec = low16(GetRegDWORD(0, kSoftGroup, "spyglass_exec", 2));
}

void SaveEnvSoft(const SoftSettings* s)
{
    if (!s)
        return;
    // The record's text field need not be terminated: never read past it.
    const std::string exe(s->txtExe, strnlen(s->txtExe, sizeof s->txtExe));
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "txt_auto", s->txtAuto);
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "txt_id", s->txtId);
    SetRegStr(HKEY_CURRENT_USER, kSoftGroup, "txt_exe", exe.c_str());
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "doc_auto", s->docAuto);
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "doc_id", s->docId);
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "ppt_auto", s->pptAuto);
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "ppt_id", s->pptId);
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "xls_auto", s->xlsAuto);
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "xls_id", s->xlsId);
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "spyglass", low16(s->spyglass));
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "spyglass_time", low16(s->spyglassTime));
    SetRegDWORD(HKEY_CURRENT_USER, kSoftGroup, "spyglass_exec", s->spyglassExec);
}

void LoadEnvVoice(VoiceSettings* s)
{
    if (!s)
        return;
    s->useReg = GetRegDWORD(0, kVoiceGroup, "use_reg", 0);
    s->regTrans = GetRegDWORD(0, kVoiceGroup, "reg_trans", 0);
    s->useSpeak = GetRegDWORD(0, kVoiceGroup, "use_speak", 0);
    s->transSpeak = GetRegDWORD(0, kVoiceGroup, "trans_speak", 0);
}

void SaveEnvVoice(const VoiceSettings* s)
{
    if (!s)
        return;
    SetRegDWORD(HKEY_CURRENT_USER, kVoiceGroup, "use_reg", s->useReg);
    SetRegDWORD(HKEY_CURRENT_USER, kVoiceGroup, "reg_trans", s->regTrans);
    SetRegDWORD(HKEY_CURRENT_USER, kVoiceGroup, "use_speak", s->useSpeak);
    SetRegDWORD(HKEY_CURRENT_USER, kVoiceGroup, "trans_speak", s->transSpeak);
}

} // extern "C"
