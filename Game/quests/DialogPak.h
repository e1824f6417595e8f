// The spoken dialogs of non-player characters. A pak is made from a record and holds the
// dialog a character plays when a player talks to it; the character asks it to play, to
// finish, whether it is playing, how far it is heard and how long it lasts.
#pragma once

#include <string>

#include "Engine/Object.h"

namespace GAME {

// One dialog of a pak; remembers whether the player heard it.
class Dialog {
public:
    void SetHasBeenPlayed(bool played) { m_played = played; }
    bool HasBeenPlayed() const { return m_played; }

private:
    bool m_played = false;
};

class DialogPak : public Object {
    GAME_DECLARE_CLASS(DialogPak)

public:
    // "range" (world units, default 10) and "length" (seconds, default 5).
    void Load(const LoadTable& table) override;

    // Starts playing; `option` picks the dialog where a kind has several.
    virtual void Play(int option);
    // Stops playing.
    virtual void Finish() { m_playing = false; }
    virtual bool IsPlaying() const { return m_playing; }
    // Beyond this distance from the character the player no longer hears it.
    virtual float GetRange() const { return m_range; }
    // Seconds the pak plays.
    virtual float GetLength() const { return m_length; }
    // How many times Play was called (the host prints it).
    int GetPlayCount() const { return m_playCount; }

private:
    float m_range = 10.0f;
    float m_length = 5.0f;
    bool m_playing = false;
    int m_playCount = 0;
};

// The pak of a quest giver or townsman: one primary dialog.
class NpcDialogPak : public DialogPak {
    GAME_DECLARE_CLASS(NpcDialogPak)

public:
    // A pak made from the record; null (logged by the object manager) when the record
    // is missing or is not a pak of this kind.
    static NpcDialogPak* Spawn(const std::string& recordName);
    Dialog& GetPrimaryDialog() { return m_primary; }

private:
    Dialog m_primary;
};

// The pak of a merchant or trainer. Its selector is the mode it plays in: the long
// greeting, the short one (hello) of a player who talked to it a moment ago, or the
// farewell.
class MerchantDialogPak : public DialogPak {
    GAME_DECLARE_CLASS(MerchantDialogPak)

public:
    static constexpr int kSelectorLong = 1;
    static constexpr int kSelectorShort = 2;
    static constexpr int kSelectorHello = kSelectorShort;
    static constexpr int kSelectorGoodbye = 3;

    // A pak made from the record; null (logged by the object manager) when the record is
    // missing or is not a merchant's pak.
    static MerchantDialogPak* Spawn(const std::string& recordName);
    void SetDialogSelector(int selector) { m_selector = selector; }
    int GetDialogSelector() const { return m_selector; }

private:
    int m_selector = 0;
};

}  // namespace GAME
