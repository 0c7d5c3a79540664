// Kana readings of Japanese through MeCab.
#include <speech/synthesizer.h>

#include <platform/codec.h>

#include <mecab.h>

namespace yv::speech {

namespace {

// The dictionary's features: part of speech ..., base form, reading, pronunciation.
constexpr std::size_t kReadingField = 7;
constexpr std::size_t kPronunciationField = 8;

std::string_view featureField(std::string_view feature, std::size_t index)
{
    for (std::size_t i = 0; i < index; ++i) {
        const std::size_t comma = feature.find(',');
        if (comma == std::string_view::npos)
            return {};
        feature.remove_prefix(comma + 1);
    }
    return feature.substr(0, feature.find(','));
}

// Only katakana is a usable reading; another dictionary's fields are not.
bool isKatakana(std::string_view utf8)
{
    if (utf8.empty())
        return false;
    for (std::size_t i = 0; i < utf8.size();) {
        const codec::Utf8Char c = codec::decodeUtf8At(utf8, i);
        if (!c.valid || c.codePoint < 0x30A1 || c.codePoint > 0x30FC)
            return false;
        i += c.length;
    }
    return true;
}

class MecabKanaReader final : public KanaReader {
public:
    struct ModelDeleter {
        void operator()(mecab_model_t* m) const { mecab_model_destroy(m); }
    };
    struct TaggerDeleter {
        void operator()(mecab_t* t) const { mecab_destroy(t); }
    };
    struct LatticeDeleter {
        void operator()(mecab_lattice_t* l) const { mecab_lattice_destroy(l); }
    };

    MecabKanaReader(std::unique_ptr<mecab_model_t, ModelDeleter> model, std::unique_ptr<mecab_t, TaggerDeleter> tagger)
        : m_model(std::move(model)), m_tagger(std::move(tagger))
    {
    }

    std::string pronounce(std::string_view line) const override
    {
        const std::unique_ptr<mecab_lattice_t, LatticeDeleter> lattice(mecab_model_new_lattice(m_model.get()));
        if (!lattice)
            return std::string(line);
        mecab_lattice_set_sentence2(lattice.get(), line.data(), line.size());
        if (!mecab_parse_lattice(m_tagger.get(), lattice.get()))
            return std::string(line);
        std::string out;
        std::size_t covered = 0;
        for (const mecab_node_t* node = mecab_lattice_get_bos_node(lattice.get()); node; node = node->next) {
            if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || !node->surface)
                continue;
            const auto begin = static_cast<std::size_t>(node->surface - line.data());
            if (begin < covered || begin > line.size() || node->length > line.size() - begin)
                continue;
            // Blanks MeCab skipped still part words.
            out.append(line.substr(covered, begin - covered));
            covered = begin + node->length;
            const std::string_view feature = node->feature ? node->feature : "";
            const std::string_view pronunciation = featureField(feature, kPronunciationField);
            const std::string_view reading = featureField(feature, kReadingField);
            if (isKatakana(pronunciation))
                out.append(pronunciation);
            else if (isKatakana(reading))
                out.append(reading);
            else
                out.append(line.substr(begin, node->length));
        }
        out.append(line.substr(covered));
        return out;
    }

private:
    std::unique_ptr<mecab_model_t, ModelDeleter> m_model;
    std::unique_ptr<mecab_t, TaggerDeleter> m_tagger;
};

} // namespace

std::unique_ptr<KanaReader> createMecabKanaReader(std::string* error)
{
    std::unique_ptr<mecab_model_t, MecabKanaReader::ModelDeleter> model(mecab_model_new2(""));
    if (!model) {
        if (error)
            *error = std::string("MeCab: ") + mecab_strerror(nullptr);
        return nullptr;
    }
    std::unique_ptr<mecab_t, MecabKanaReader::TaggerDeleter> tagger(mecab_model_new_tagger(model.get()));
    if (!tagger) {
        if (error)
            *error = "MeCab: no tagger";
        return nullptr;
    }
    return std::make_unique<MecabKanaReader>(std::move(model), std::move(tagger));
}

} // namespace yv::speech
