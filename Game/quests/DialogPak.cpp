#include "Game/quests/DialogPak.h"

#include <cmath>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/ProcessRandom.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(DialogPak, Object)
GAME_IMPLEMENT_CLASS(NpcDialogPak, DialogPak)
GAME_IMPLEMENT_CLASS(MerchantDialogPak, DialogPak)

namespace {

// The fade a stopped voice gets, in milliseconds.
constexpr int kStopFadeMs = 100;

// A pak of that kind made through the object manager; the record, when named, is read.
template <class Pak>
Pak* SpawnPak(const char* className, const std::string* recordName)
{
    if (recordName && (recordName->empty() || !ObjectManager::Get().LoadTableFile(*recordName)))
        return nullptr;
    auto* pak = DynamicCast<Pak>(ObjectManager::Get().CreateObject(className));
    if (pak && recordName) {
        pak->SetObjectName(*recordName);
        pak->LoadFromRecord(*recordName);
    }
    return pak;
}

void DeleteLine(Dialog*& line)
{
    delete line;
    line = nullptr;
}

void ResetLine(Dialog*& line)
{
    if (line)
        line->Reset();
}

}  // namespace

// ---- The functor -------------------------------------------------------------------------

void DialogPakFunctor::operator()(int)
{
    if (m_owner)
        (m_owner->*m_member)();
}

void DialogPakFunctor::DestroyThroughOwner()
{
    if (m_owner)
        m_owner->DestroyFunctor(this);
    else
        delete this;
}

// ---- One line ----------------------------------------------------------------------------

Dialog::~Dialog()
{
    SoundManager::Get().Unload(m_sound);
}

void Dialog::Speak(VoidCallbackFunctor* onComplete)
{
    if (m_isSpeaking)
        return;
    m_playbackTime = -1;
    m_onComplete = onComplete;
    if (!m_audioFile.empty()) {
        SoundManager& sounds = SoundManager::Get();
        sounds.Unload(m_sound);
        sounds.Load(m_sound, m_audioFile);
        m_sound.volume = m_volume;
        m_sound.setting = kVoiceSetting;
        sounds.Play2D(m_sound, true);
        m_playbackTime = sounds.GetPlayLength(m_sound);
        m_isSpeaking = m_playbackTime != -1;
    } else {
        m_isSpeaking = false;
    }
    m_hasBeenPlayed = true;
}

void Dialog::Update(int ms)
{
    bool finished;
    if (m_isSpeaking) {
        finished = !SoundManager::Get().IsPlaying(m_sound);
    } else {
        m_silentTime -= ms;
        finished = m_silentTime <= 0;
    }
    if (finished && m_onComplete)
        OnDialogComplete();
}

void Dialog::OnDialogComplete()
{
    m_isSpeaking = false;
    if (m_onComplete)
        (*m_onComplete)(0);
}

void Dialog::Stop()
{
    if (m_isSpeaking)
        SoundManager::Get().FadeSound(m_sound.handle, kStopFadeMs, 0, 0);
    OnDialogComplete();
}

void Dialog::SetVolumeFade(float factor)
{
    m_volume = factor * m_baseVolume;
    if (m_isSpeaking) {
        m_sound.volume = m_volume;
        SoundManager::Get().UpdateVolume(m_sound);
    }
}

std::u16string Dialog::GetText() const
{
    return SimpleTagText(m_textTag);
}

void Dialog::Reset()
{
    m_playbackTime = -1;
    m_hasBeenPlayed = false;
    m_silentTime = kSilentTimeMs;
}

// ---- What both paks share ------------------------------------------------------------------

DialogPak::DialogPak() = default;

DialogPak::~DialogPak()
{
    if (m_completionFunctor)
        m_completionFunctor->DestroyThroughOwner();
}

void DialogPak::Update(int ms)
{
    if (m_currentSpeakable)
        m_currentSpeakable->Update(ms);
}

void DialogPak::Stop()
{
    if (m_currentSpeakable)
        m_currentSpeakable->Stop();
}

void DialogPak::SetVolumeFade(float factor)
{
    if (m_currentSpeakable)
        m_currentSpeakable->SetVolumeFade(factor);
}

std::u16string DialogPak::GetText() const
{
    return m_currentSpeakable ? m_currentSpeakable->GetText() : std::u16string();
}

int DialogPak::GetPlaybackTime() const
{
    return m_currentSpeakable ? m_currentSpeakable->GetPlaybackTime() : -1;
}

bool DialogPak::IsSpeaking() const
{
    return m_currentSpeakable && m_currentSpeakable->IsSpeaking();
}

void DialogPak::OnDialogComplete()
{
    m_currentSpeakable = nullptr;
    if (m_onComplete)
        (*m_onComplete)(0);
}

void DialogPak::LoadFromRecord(const std::string& recordName)
{
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    const float length = table ? table->GetFloat("length", 5.0f) : 5.0f;
    m_length = std::isfinite(length) ? length : 5.0f;
}

void DialogPak::Destroy(DialogPak* pak)
{
    if (pak)
        ObjectManager::Get().DestroyObjectEx(pak, __FILE__, __LINE__);
}

Dialog* DialogPak::MakeDialog(const LoadTable& table, const std::string& textKey, const std::string& soundKey,
                              const std::string& volumeKey)
{
    const char* text = table.GetString(textKey.c_str(), "");
    const char* sound = table.GetString(soundKey.c_str(), "");
    if (!*text && !*sound)
        return nullptr;
    auto* line = new Dialog;
    line->SetTextTag(text);
    line->SetAudioFile(sound);
    line->SetVolume(table.GetFloat(volumeKey.c_str(), 0.0f));
    return line;
}

Dialog* DialogPak::PickUnplayed(const std::vector<Dialog*>& lines)
{
    std::vector<Dialog*> candidates;
    for (Dialog* line : lines)
        if (line && !line->HasBeenPlayed())
            candidates.push_back(line);
    if (candidates.empty()) {
        for (Dialog* line : lines)
            if (line) {
                line->Reset();
                candidates.push_back(line);
            }
    }
    if (candidates.empty())
        return nullptr;
    return candidates[static_cast<size_t>(RandomInt(0, static_cast<int>(candidates.size()) - 1))];
}

void DialogPak::BeginSpeaking(VoidCallbackFunctor* onComplete)
{
    m_onComplete = onComplete;
    if (m_completionFunctor)
        m_completionFunctor->DestroyThroughOwner();
    m_completionFunctor = new DialogPakFunctor(this, &DialogPak::OnDialogComplete);
}

void DialogPak::SpeakLine(Dialog* line)
{
    if (!line)
        return;
    m_currentSpeakable = line;
    line->Speak(m_completionFunctor);
}

// ---- Non-player characters -------------------------------------------------------------------

NpcDialogPak::~NpcDialogPak()
{
    DeleteLine(m_primaryDialog);
    DeleteLine(m_irritationDialog);
    for (Dialog*& line : m_dialogs)
        DeleteLine(line);
}

NpcDialogPak* NpcDialogPak::Spawn()
{
    return SpawnPak<NpcDialogPak>("NpcDialogPak", nullptr);
}

NpcDialogPak* NpcDialogPak::Spawn(const std::string& recordName)
{
    return SpawnPak<NpcDialogPak>("NpcDialogPak", &recordName);
}

void NpcDialogPak::AddDialog(Dialog* dialog)
{
    if (!dialog)
        return;
    if (!m_primaryDialog)
        m_primaryDialog = dialog;
    else
        m_dialogs.push_back(dialog);
}

void NpcDialogPak::SetIrritationRoundTrips(int rounds)
{
    m_roundTripsLeft = m_irritationRoundTrips = rounds;
}

void NpcDialogPak::Reset()
{
    m_isIrritated = false;
    if (m_primaryDialog)
        m_primaryDialog->Reset();
    for (Dialog* line : m_dialogs)
        line->Reset();
    m_roundTripsLeft = m_irritationRoundTrips;
}

void NpcDialogPak::ResetIrritation()
{
    m_roundTripsLeft = m_irritationRoundTrips;
    m_isIrritated = false;
    if (m_primaryDialog && m_dialogs.empty())
        m_primaryDialog->SetHasBeenPlayed(false);
}

Dialog* NpcDialogPak::GetPrimaryDialog() const
{
    if (m_primaryDialog)
        return m_primaryDialog;
    return m_dialogs.empty() ? nullptr : m_dialogs.front();
}

void NpcDialogPak::LoadFromRecord(const std::string& recordName)
{
    DialogPak::LoadFromRecord(recordName);
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    if (!table)
        return;
    AddDialog(MakeDialog(*table, "defaultDialogTextTag", "defaultDialogSoundFile", "defaultDialogSoundVolume"));
    if (Dialog* irritation =
            MakeDialog(*table, "irritationDialogTextTag", "irritationDialogSoundFile", "irritationDialogVolume")) {
        delete m_irritationDialog;
        m_irritationDialog = irritation;
        SetIrritationRoundTrips(table->GetInt("irritationRoundTrips", 0));
    }
    for (int n = 1; n <= kPoolLines; ++n) {
        const std::string number = std::to_string(n);
        AddDialog(MakeDialog(*table, "dialogTextTag" + number, "dialogSoundFile" + number,
                             "dialogSoundVolume" + number));
    }
    m_shortGreetingTimerTime = table->GetInt("shortGreetingTimerTime", 0);
    m_resetDistance = table->GetFloat("resetDistance", 0.0f);
}

Dialog* NpcDialogPak::ChooseLine()
{
    if (m_primaryDialog && !m_primaryDialog->HasBeenPlayed())
        return m_primaryDialog;
    if (m_primaryDialog && m_dialogs.empty() && !m_irritationDialog)
        return m_primaryDialog;
    if (m_dialogs.empty())
        return m_irritationDialog;
    std::vector<Dialog*> candidates;
    for (Dialog* line : m_dialogs)
        if (!line->HasBeenPlayed())
            candidates.push_back(line);
    if (candidates.empty()) {
        // A round trip is complete.
        if (m_roundTripsLeft != -1)
            --m_roundTripsLeft;
        for (Dialog* line : m_dialogs)
            line->Reset();
        candidates = m_dialogs;
    }
    if (m_roundTripsLeft == 0 && m_irritationDialog) {
        m_isIrritated = true;
        return m_irritationDialog;
    }
    return candidates[static_cast<size_t>(RandomInt(0, static_cast<int>(candidates.size()) - 1))];
}

void NpcDialogPak::Speak(VoidCallbackFunctor* onComplete)
{
    if (m_currentSpeakable)
        return;
    BeginSpeaking(onComplete);
    SpeakLine(ChooseLine());
}

// ---- Merchants -------------------------------------------------------------------------------

MerchantDialogPak::~MerchantDialogPak()
{
    ForEachLine(DeleteLine);
}

void MerchantDialogPak::ForEachLine(void (*visit)(Dialog*&))
{
    visit(m_globalDialog);
    for (Group* group : {&m_longDialogs, &m_shortDialogs, &m_goodbyeDialogs})
        for (Dialog*& line : *group)
            visit(line);
}

MerchantDialogPak* MerchantDialogPak::Spawn()
{
    return SpawnPak<MerchantDialogPak>("MerchantDialogPak", nullptr);
}

MerchantDialogPak* MerchantDialogPak::Spawn(const std::string& recordName)
{
    return SpawnPak<MerchantDialogPak>("MerchantDialogPak", &recordName);
}

void MerchantDialogPak::Reset()
{
    ForEachLine(ResetLine);
}

void MerchantDialogPak::LoadFromRecord(const std::string& recordName)
{
    DialogPak::LoadFromRecord(recordName);
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    if (!table)
        return;
    ForEachLine(DeleteLine);
    m_globalDialog = MakeDialog(*table, "globalDialogTextTag1", "globalDialogSoundFile1", "globalDialogSoundVolume1");
    const std::pair<const char*, Group*> groups[] = {
        {"long", &m_longDialogs}, {"short", &m_shortDialogs}, {"goodbye", &m_goodbyeDialogs}};
    for (const auto& [stem, group] : groups)
        for (int n = 1; n <= kGroupLines; ++n) {
            const std::string key = std::string(stem) + "Dialog";
            const std::string number = std::to_string(n);
            (*group)[static_cast<size_t>(n - 1)] =
                MakeDialog(*table, key + "TextTag" + number, key + "SoundFile" + number, key + "SoundVolume" + number);
        }
    m_shortGreetingTimerTime = table->GetInt("shortGreetingTimerTime", 0);
}

Dialog* MerchantDialogPak::Pick(const Group& group)
{
    return PickUnplayed(std::vector<Dialog*>(group.begin(), group.end()));
}

void MerchantDialogPak::Speak(VoidCallbackFunctor* onComplete)
{
    if (m_currentSpeakable) {
        m_currentSpeakable->Stop();
        m_currentSpeakable = nullptr;
    }
    BeginSpeaking(onComplete);
    Dialog* line = nullptr;
    switch (m_dialogMode) {
    case kSelectorGreeting: line = m_globalDialog ? m_globalDialog : Pick(m_longDialogs); break;
    case kSelectorLong: line = Pick(m_longDialogs); break;
    case kSelectorShort: line = Pick(m_shortDialogs); break;
    case kSelectorGoodbye: line = Pick(m_goodbyeDialogs); break;
    default: break;
    }
    SpeakLine(line);
}

}  // namespace GAME
