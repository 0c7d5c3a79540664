// The substitution dictionary as a named shared block: one copy of "KRLIB.DAT" for every
// process of the instance, replaced when the file changes.
#pragma once

#include <capturerules/substitutiondictionary.h>

#include <platform/sharedmemory.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string_view>

namespace yv::capture::Internal {

inline constexpr std::string_view kDictionaryFileName = "KRLIB.DAT";
inline constexpr std::string_view kDictionaryBlockName = "SNRMAP-DICT-583104926";
// The whole file is copied into shared memory: refuse what no word list comes near.
inline constexpr std::size_t kMaxDictionaryFileBytes = std::size_t{256} << 20;

// "KRLIB.DAT" in the machine data directory.
std::filesystem::path dictionaryFile();

// Makes the shared block hold `file`, unless it already does (or another process is filling
// it in). A block left by an older file, or by a process that died while filling it, is
// replaced; without a readable dictionary file it is removed. Returns whether a dictionary
// is published.
bool publishDictionary(const std::filesystem::path& file);

// The published dictionary, mapped read-only for as long as the object lives.
class PublishedDictionary final {
public:
    // Null when no complete dictionary is published.
    static std::unique_ptr<PublishedDictionary> open();

    PublishedDictionary(std::unique_ptr<shm::SharedBlock> block, const SubstitutionDictionary& dictionary);

    const SubstitutionDictionary& dictionary() const { return m_dictionary; }

private:
    std::unique_ptr<shm::SharedBlock> m_block;
    SubstitutionDictionary m_dictionary;
};

} // namespace yv::capture::Internal
