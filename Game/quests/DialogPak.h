// The spoken lines of non-player characters and merchants. A Dialog is one line: a text
// tag, an optional voice file and a volume. A pak is the set of lines one character owns,
// made from a record; it decides which line comes next. Lines, paks and anything else that
// talks share the Speakable interface, so the owning character updates, speaks, stops and
// fades them without knowing which it holds.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "Engine/Object.h"
#include "Engine/SoundManager.h"

namespace GAME {

class DialogPak;

// Called with 0 when a line or a pak has finished. Its owner destroys it.
class DialogCallbackFunctor {
public:
    virtual ~DialogCallbackFunctor() = default;
    virtual void operator()(int value) = 0;
    // Asks the object that made the functor to destroy it.
    virtual void DestroyThroughOwner() = 0;
};

// Calls a member of the pak that made it; with no pak it does nothing.
class DialogPakFunctor : public DialogCallbackFunctor {
public:
    using Member = void (DialogPak::*)();
    DialogPakFunctor(DialogPak* owner, Member member) : m_owner(owner), m_member(member) {}
    void operator()(int) override;
    void DestroyThroughOwner() override;

private:
    DialogPak* m_owner;
    Member m_member;
};

class Speakable {
public:
    using VoidCallbackFunctor = DialogCallbackFunctor;

    virtual ~Speakable() = default;
    virtual void Update(int ms) = 0;
    // Starts speaking; `onComplete` (not owned, may be null) is called when it finishes.
    virtual void Speak(VoidCallbackFunctor* onComplete) = 0;
    virtual void Stop() = 0;
    // The volume as a share of the record's.
    virtual void SetVolumeFade(float factor) = 0;
    virtual std::u16string GetText() const = 0;
    // Milliseconds the voice plays; -1 until a voice has started.
    virtual int GetPlaybackTime() const = 0;
    virtual bool IsSpeaking() const = 0;
};

class Dialog : public Speakable {
public:
    // How long a line without a voice stays up.
    static constexpr int kSilentTimeMs = 5000;
    // The sound setting a voice plays with.
    static constexpr int kVoiceSetting = 2;

    Dialog() = default;
    ~Dialog() override;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    void SetTextTag(const char* tag) { m_textTag = tag ? tag : ""; }
    void SetAudioFile(const char* file) { m_audioFile = file ? file : ""; }
    const std::string& GetTextTag() const { return m_textTag; }
    const std::string& GetAudioFile() const { return m_audioFile; }
    // The record's volume, which the line also plays with until faded.
    void SetVolume(float volume) { m_volume = m_baseVolume = volume; }
    float GetVolume() const { return m_volume; }

    void Update(int ms) override;
    // Ignored while a voice plays (the first caller keeps its callback).
    void Speak(VoidCallbackFunctor* onComplete) override;
    void Stop() override;
    void SetVolumeFade(float factor) override;
    std::u16string GetText() const override;
    int GetPlaybackTime() const override { return m_playbackTime; }
    bool IsSpeaking() const override { return m_isSpeaking; }

    // The line has finished: its caller is told (the callback stays set).
    void OnDialogComplete();
    bool HasBeenPlayed() const { return m_hasBeenPlayed; }
    void SetHasBeenPlayed(bool played) { m_hasBeenPlayed = played; }
    // Back to unplayed, with the full silent time.
    void Reset();

private:
    std::string m_textTag;
    std::string m_audioFile;
    int m_playbackTime = -1;
    int m_silentTime = kSilentTimeMs;
    SoundDescriptor m_sound;
    bool m_isSpeaking = false;
    bool m_hasBeenPlayed = false;
    float m_volume = 1.0f;
    float m_baseVolume = 1.0f;
    VoidCallbackFunctor* m_onComplete = nullptr;
};

// What both kinds of pak share: the line now speaking, the caller to tell when it ends,
// and the times and distance the owning character reads. A pak is an engine object made
// with Spawn and destroyed with Destroy (through the object manager, so a pak destroyed
// inside its own callback is freed only after the frame).
class DialogPak : public Object, public Speakable {
    GAME_DECLARE_CLASS(DialogPak)

public:
    DialogPak();
    ~DialogPak() override;

    // Speakable: forwarded to the line now speaking; with none, nothing happens (no
    // text, a playback time of -1, not speaking).
    void Update(int ms) override;
    void Speak(VoidCallbackFunctor*) override {}
    void Stop() override;
    void SetVolumeFade(float factor) override;
    std::u16string GetText() const override;
    int GetPlaybackTime() const override;
    bool IsSpeaking() const override;

    virtual void AddDialog(Dialog*) {}
    virtual void SetIrritationRoundTrips(int) {}
    virtual void Reset() {}
    // The current line has finished: it is let go and the caller told.
    virtual void OnDialogComplete();
    virtual void DestroyFunctor(VoidCallbackFunctor* functor) { delete functor; }
    // Reads the pak's lines from the record.
    virtual void LoadFromRecord(const std::string& recordName);
    virtual void ResetIrritation() {}
    virtual bool IsIrritated() const { return false; }
    // Seconds before a character greets the same player again with its short line.
    virtual int GetShortGreetingTimerTime() const { return m_shortGreetingTimerTime; }
    // Beyond this distance from its character the player no longer hears the pak.
    virtual float GetResetDistance() const { return m_resetDistance; }

    // The names the owning character uses: a line starts (the option is not used), is
    // cut short, is under way; how far it is heard; and how long, in seconds ("length",
    // default 5), the character shows it.
    void Play(int)
    {
        ++m_playCount;
        Speak(nullptr);
    }
    // How many times Play was called.
    int GetPlayCount() const { return m_playCount; }
    void Finish() { Stop(); }
    bool IsPlaying() const { return m_currentSpeakable != nullptr; }
    float GetRange() const { return GetResetDistance(); }
    float GetLength() const { return m_length; }
    const Speakable* GetCurrentSpeakable() const { return m_currentSpeakable; }

    // Destroys a pak made by Spawn; nothing for null.
    static void Destroy(DialogPak* pak);

protected:
    // Makes a line of the three keys when its text tag or sound file is set; null otherwise.
    static Dialog* MakeDialog(const LoadTable& table, const std::string& textKey, const std::string& soundKey,
                              const std::string& volumeKey);
    // One of the lines at random (the process-wide generator): the unplayed ones, or all
    // of them, reset, when every one has been played. Null when there are none.
    static Dialog* PickUnplayed(const std::vector<Dialog*>& lines);
    // Stores the caller and makes a new completion functor (the old one is destroyed).
    void BeginSpeaking(VoidCallbackFunctor* onComplete);
    // Makes the line current and speaks it with the completion functor; nothing for null.
    void SpeakLine(Dialog* line);

    Speakable* m_currentSpeakable = nullptr;
    VoidCallbackFunctor* m_onComplete = nullptr;
    int m_shortGreetingTimerTime = 10;
    float m_resetDistance = 10.0f;
    VoidCallbackFunctor* m_completionFunctor = nullptr;
    float m_length = 5.0f;
    int m_playCount = 0;
};

// A quest giver's or townsman's lines: the primary line first, then the others in random
// order without repeats, and after the set number of rounds the irritation line.
class NpcDialogPak : public DialogPak {
    GAME_DECLARE_CLASS(NpcDialogPak)

public:
    NpcDialogPak() = default;
    ~NpcDialogPak() override;

    // A new empty pak.
    static NpcDialogPak* Spawn();
    // A pak read from the record; null when the record cannot be opened.
    static NpcDialogPak* Spawn(const std::string& recordName);

    void Speak(VoidCallbackFunctor* onComplete) override;
    // The first line added is the primary one.
    void AddDialog(Dialog* dialog) override;
    void SetIrritationRoundTrips(int rounds) override;
    void Reset() override;
    void LoadFromRecord(const std::string& recordName) override;
    void ResetIrritation() override;
    bool IsIrritated() const override { return m_isIrritated; }

    // The primary line, else the first other line, else null.
    Dialog* GetPrimaryDialog() const;
    size_t GetDialogCount() const { return m_dialogs.size(); }
    Dialog* GetIrritationDialog() const { return m_irritationDialog; }
    int GetRoundTripsLeft() const { return m_roundTripsLeft; }

    // The record's numbered pool lines ("dialogTextTag1" ...).
    static constexpr int kPoolLines = 4;

private:
    Dialog* ChooseLine();

    Dialog* m_primaryDialog = nullptr;
    std::vector<Dialog*> m_dialogs;
    Dialog* m_irritationDialog = nullptr;
    int m_roundTripsLeft = -1;   // -1: no limit
    int m_irritationRoundTrips = -1;
    bool m_isIrritated = false;
};

// A merchant's lines: a greeting and groups of long, short and goodbye lines, chosen by
// the merchant's mode.
class MerchantDialogPak : public DialogPak {
    GAME_DECLARE_CLASS(MerchantDialogPak)

public:
    // The modes: the greeting, then long, short (hello) and goodbye lines.
    static constexpr int kSelectorGreeting = 0;
    static constexpr int kSelectorLong = 1;
    static constexpr int kSelectorShort = 2;
    static constexpr int kSelectorHello = kSelectorShort;
    static constexpr int kSelectorGoodbye = 3;
    static constexpr int kGroupLines = 5;

    MerchantDialogPak() = default;
    ~MerchantDialogPak() override;

    static MerchantDialogPak* Spawn();
    // A pak read from the record; null when the record cannot be opened.
    static MerchantDialogPak* Spawn(const std::string& recordName);

    void Speak(VoidCallbackFunctor* onComplete) override;
    void Reset() override;
    void LoadFromRecord(const std::string& recordName) override;
    Dialog* GetPrimaryDialog() const { return nullptr; }

    void SetDialogSelector(int mode) { m_dialogMode = mode; }
    int GetDialogSelector() const { return m_dialogMode; }

private:
    using Group = std::array<Dialog*, kGroupLines>;
    static Dialog* Pick(const Group& group);
    void ForEachLine(void (*visit)(Dialog*&));

    Dialog* m_globalDialog = nullptr;
    Group m_longDialogs{};
    Group m_shortDialogs{};
    Group m_goodbyeDialogs{};
    int m_dialogMode = kSelectorGreeting;
};

}  // namespace GAME
