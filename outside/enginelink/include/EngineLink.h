// The engine link: the client library through which programs use the translation engines.
// All calls are made on the caller's thread; results arrive through the callback on that
// thread while it runs its event loop. Results (int) are non-zero for success.
#pragma once

#include <memory>

class CEngineLink {
public:
    using Callback = int (*)(const char* result, void* context);

    virtual ~CEngineLink();
    CEngineLink(const CEngineLink&) = delete;
    CEngineLink& operator=(const CEngineLink&) = delete;

    int Init(void* instance);
    void SetCallback(Callback callback, void* context);
    // Translates a whole text: result blocks sentence by sentence, then exactly "$$$".
    int TransStartSTR3(const char* text);
    void DC_TransSTR3();
    // Translates a file into `dst`: decimal progress numbers, then exactly "end".
    int TransStartTEXT(const char* src, const char* dst);
    int TransStartHTML(const char* src, const char* dst);
    // Asks the running translation to stop; it still ends with its last call.
    void TransStop();
    // Looks a word up: the entries come in one callback.
    int DicRead(const char* word, const char* mode);
    void DC_DicRead();
    // Opens the engine's registration of `word` into the user dictionary `dic`.
    int DicEdit(const char* word, const char* dic);
    // Creates a new user dictionary at `path` (no extension).
    int DicInit(const char* path);
    void Close();

    struct Impl;

protected:
    explicit CEngineLink(int direction);

private:
    std::unique_ptr<Impl> d;
};

class CEngineLink_EJ final : public CEngineLink {
public:
    CEngineLink_EJ();
};

class CEngineLink_JE final : public CEngineLink {
public:
    CEngineLink_JE();
};
