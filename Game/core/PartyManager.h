// Parties of players: invitations, answers, members and leaders. A party is named by the
// player id of its leader; a player's party id (0: none) is kept in its roster record.
// Every question reads the client's roster; every change goes through the game engine's
// AddPlayerToParty, which reaches every peer.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/EventManager.h"
#include "Engine/World.h"
#include "Game/core/GameEvents.h"

namespace GAME {

class SoundPak;

// The record of the sound played when an invitation is shown.
inline constexpr const char* kPartyInviteSoundRecord = "Records/Sounds/Soundpak/UI/PartyInviteMessagePak.dbr";
// Invitations waiting behind the one shown: at most one per other network host.
inline constexpr size_t kMaxPendingInvitations = 15;
// Invitations the host remembers having seen: one from every player of the 16 network
// hosts to every other is fewer.
inline constexpr size_t kMaxSeenInvitations = 256;

class PartyManager {
public:
    PartyManager();
    ~PartyManager();
    PartyManager(const PartyManager&) = delete;
    PartyManager& operator=(const PartyManager&) = delete;

    // Collects the answer to the invitation shown, if the player has given it.
    void Update();

    // ---- Questions ------------------------------------------------------------------
    // The party id in the player's roster record; 0 when the player has no record.
    uint32_t GetParty(uint32_t player) const;
    // A player is always with itself; two players without a party are not together.
    bool AreInPartyTogether(uint32_t a, uint32_t b) const;
    // 1 for party 0 (a player alone), otherwise the number of roster records in it.
    int GetNumPlayersInParty(int party) const;
    // The number of members of the party the player belongs to (1 when alone).
    int GetNumInPlayersParty(uint32_t player) const;
    // As GetNumPlayersInParty, counting only members within `radius` of `where`.
    int GetNumPlayersInPartyNear(int party, const WorldVec3& where, float radius) const;
    // Appends the party's members in roster order; party 0 empties `out`.
    void GetPlayersInParty(int party, std::vector<uint32_t>& out) const;
    // The members of the player's party, or the player alone.
    void GetPartyMembers(uint32_t player, std::vector<uint32_t>& out) const;
    // The party id, or the player's own id when it has no party.
    uint32_t GetPlayerFaction(uint32_t player) const;
    // The summed share of the damage done to `source` by the player's party.
    float GetPartyExperienceMultiplier(uint32_t player, uint32_t source) const;

    // ---- Invitations ----------------------------------------------------------------
    // An invitation from `inviter` arrived for `player`; shown only to this machine's
    // player, and only while it is in no party.
    void HandlePartyInvite(uint32_t player, int inviter);
    // Shows the invitation, or queues it behind the one shown; an inviter already shown
    // or waiting, and any invitation past the queue's bound, is dropped (logged).
    void OnInviteToParty(const GameEvent_InviteToParty& event);
    bool IsInvitationDialogOpen() const { return m_dialogOpen; }
    size_t GetNumPendingInvitations() const { return m_pendingInvitations.size(); }
    // The sound played when an invitation is shown; null when its record is missing.
    SoundPak* GetInviteSound() const;

    // ---- Leaders and members --------------------------------------------------------
    // The party led by a player who left the game goes to the members who remain.
    void CleanUpForPlayerLeave(uint32_t leaver);
    // The same for the party this machine's player led before it joined another.
    void ReassignRemainingParty();
    // Only the leader may kick; anyone else is told so.
    void AttemptToKickFromLocalParty(uint32_t player);
    // Whether the player `changer` may move `player` into `party` (0: no party), as the
    // party steps above make such changes: itself out of its party, or into the party of
    // a player in the roster who invited it (an invitation the host saw: the move is the
    // invitee's acceptance); a member of the party it leads out of it or to another of
    // its members; or, once it has joined a player's party, that player to lead it.
    bool MayChangeParty(uint32_t changer, uint32_t player, uint32_t party) const;

    // ---- Invitations the host saw ---------------------------------------------------
    // `inviter` invited `invitee` into its party. Remembered until the invitee joins a
    // party or either leaves the game; past kMaxSeenInvitations the oldest is forgotten.
    void NoteInvitation(uint32_t invitee, uint32_t inviter);
    bool WasInvited(uint32_t invitee, uint32_t inviter) const;
    // The invitations the player received end: it joined a party.
    void ForgetInvitationsTo(uint32_t invitee);

    // Tell the other members of the party that the player joined, was invited or left.
    void MessagePlayerJoin(uint32_t party, uint32_t player);
    void MessagePlayerInvited(uint32_t party, uint32_t player);
    void MessagePlayerLeaving(uint32_t party, uint32_t player);

private:
    void ShowInvitation(const GameEvent_InviteToParty& invitation);
    void ReassignParty(uint32_t leader);
    void MessageMembers(uint32_t party, uint32_t player, const char* textTag);

    bool m_dialogOpen = false;
    GameEventListener<PartyManager, GameEvent_InviteToParty> m_inviteListener;
    uint32_t m_inviteSoundId = 0;   // owned; destroyed with the manager
    std::vector<GameEvent_InviteToParty> m_pendingInvitations;   // oldest first
    GameEvent_InviteToParty m_currentInvitation;
    struct SeenInvitation {
        uint32_t invitee = 0;
        uint32_t inviter = 0;
    };
    std::vector<SeenInvitation> m_seenInvitations;   // oldest first
};

}  // namespace GAME
