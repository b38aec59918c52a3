#pragma once
// « Programmer »'s system on this machine: the file store, a private folder
// and the runner. The command line and the Windows window drive the sequence
// through it; a front end says where the output goes and may ask to stop.

#include "files/file_store.h"
#include "files/process_runner.h"
#include "form/board_programmer.h"

#include <atomic>
#include <functional>

namespace korval::files
{

// « Écrire l'image complète… »: the whole image of `record` over the
// firmware image `firmwarePath`, written atomically to `outputPath`, never
// over the firmware image itself. False with a French reason; `warning` as
// FileStore gives it after a save that went through.
inline bool writeWholeImageFile(const korval::ConfigRecord& record, const std::string& firmwarePath,
                                const std::string& outputPath, std::string& reason,
                                std::string& warning)
{
    FileStore store;
    std::vector<unsigned char> firmware;
    std::string why;
    // Far more than the text of the controller's whole program memory.
    constexpr std::size_t kMaxImageBytes = 16 * 1024 * 1024;
    if (!store.exists(firmwarePath)) {
        reason = "impossible de lire « " + firmwarePath + " » : le fichier n'existe pas";
        return false;
    }
    if (!store.read(firmwarePath, kMaxImageBytes + 1, firmware, why)) {
        reason = "impossible de lire « " + firmwarePath + " » : " + why;
        return false;
    }
    if (firmware.size() > kMaxImageBytes) {
        reason = "« " + firmwarePath + " » est trop grand pour une image de la carte";
        return false;
    }
    if (outputPath == firmwarePath || namesSameFile(outputPath, firmwarePath)) {
        reason = "« " + outputPath +
                 " » est l'image du micrologiciel elle-même : l'image complète s'écrit dans un "
                 "autre fichier";
        return false;
    }
    std::string text;
    if (!korval::wholeImageText(firmwarePath, firmware, record, text, reason)) return false;
    if (!store.writeAtomically(outputPath, std::vector<unsigned char>(text.begin(), text.end()),
                               why, warning)) {
        reason = "impossible d'enregistrer « " + outputPath + " » : " + why;
        return false;
    }
    return true;
}

class NativeBoardSystem : public korval::BoardSystem
{
public:
    using Sink = std::function<void(const std::string&)>;
    NativeBoardSystem(Sink programOutput, Sink progress)
        : m_programOutput(std::move(programOutput)), m_progress(std::move(progress))
    {
    }
    // « Arrêter »: the running program is ended, from any thread.
    void requestStop() { m_stop.store(true); }

    bool makePrivateFolder(std::string& folder, std::string& reason) override
    {
        return files::makePrivateFolder(folder, reason);
    }
    void removeFolder(const std::string& folder) override { files::removeFolder(folder); }
    bool readFile(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
                  std::string& reason) override
    {
        return m_store.read(path, maxBytes, data, reason);
    }
    bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
                   std::string& reason) override
    {
        return m_store.writeAtomically(path, data, reason);
    }
    korval::CommandOutcome run(const std::vector<std::string>& arguments) override
    {
        const ProcessResult result = runProgram(
            arguments, [this](const std::string& text) { programOutput(text); }, &m_stop);
        korval::CommandOutcome outcome;
        outcome.end = result.end == ProcessResult::End::Exited ? korval::CommandOutcome::End::Exited
                      : result.end == ProcessResult::End::Stopped
                          ? korval::CommandOutcome::End::Stopped
                          : korval::CommandOutcome::End::NotStarted;
        outcome.status = result.status;
        outcome.reason = result.reason;
        return outcome;
    }
    void programOutput(const std::string& text) override
    {
        if (m_programOutput) m_programOutput(text);
    }
    void progress(const std::string& line) override
    {
        if (m_progress) m_progress(line);
    }
    std::string join(const std::string& folder, const std::string& name) const override
    {
        return joinPath(folder, name);
    }

private:
    FileStore m_store;
    std::atomic<bool> m_stop{false};
    Sink m_programOutput;
    Sink m_progress;
};

} // namespace korval::files
