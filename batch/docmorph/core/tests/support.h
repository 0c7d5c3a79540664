// Test helpers: packages written from parts, parts read back, and a host whose translation
// turns every letter of the blocks' text to upper case (and writes "<", ">", "&" and '"' back
// as entities, as a translator does).
#pragma once

#include <docmorph/conversion.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace yv::docmorph::testing {

void writeZip(const std::filesystem::path& path, const std::vector<std::pair<std::string, std::string>>& entries);
std::optional<std::string> readZipEntry(const std::filesystem::path& path, const std::string& name);
std::string readFile(const std::filesystem::path& path);

// Minimal packages around the given main parts.
void writeWordPackage(const std::filesystem::path& path, const std::string& bodyXml);
void writeSlidesPackage(const std::filesystem::path& path, const std::vector<std::string>& shapeTrees);
void writeSheetsPackage(const std::filesystem::path& path, const std::vector<std::string>& sheetDatas,
                        const std::vector<std::string>& sharedStrings, bool protectSecond = false);

// The upper-casing "translation" of a block file, as bytes.
std::string upperCaseBlocks(const std::string& blockFile);

class FakeHost : public Host {
public:
    explicit FakeHost(std::filesystem::path tempDir) : m_tempDir(std::move(tempDir)) {}

    void postStage(Stage stage) override;
    void postProgress(int percent) override;
    bool stopRequested() override { return stop; }
    void setStop(bool value) override { stop = value; }
    std::optional<std::filesystem::path> tempFile(const char* extension) override;
    int translate(const std::filesystem::path& blocks, const std::filesystem::path& translated,
                  int direction) override;
    void message(const std::string& text) override { messages.push_back(text); }
    void trace(const std::string& line) override { traces.push_back(line); }

    std::vector<int> stages;
    std::vector<int> progress;
    std::vector<std::string> messages;
    std::vector<std::string> traces;
    std::string sentBlocks;       // the block file as it went to translation
    bool stop = false;
    int translateResult = 1;      // -1: the translation cannot start
    std::optional<Stage> stopAt;  // sets the stop flag when this stage is posted
    int stopAtProgressCount = -1; // sets the stop flag at this progress post of the writing stage
    std::size_t keepBlocks = static_cast<std::size_t>(-1);  // cut the translation after this many

private:
    std::filesystem::path m_tempDir;
    int m_counter = 0;
    bool m_writing = false;
};

} // namespace yv::docmorph::testing
