#include "Game/core/PartyManager.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/quests/DialogManager.h"

namespace GAME {

namespace {

constexpr const char* kInviteToPartyEvent = "GameEvent_InviteToParty";

// Texts: the invitation shown, and the notices sent to the players concerned.
constexpr const char* kInviteMessageTag = "tagInviteMessage";
constexpr const char* kDenyMessageTag = "tagMessageDeny";
constexpr const char* kJoinMessageTag = "tagMessageJoin";
constexpr const char* kInvitedMessageTag = "tagInviteSend";
constexpr const char* kLeaveMessageTag = "tagMessageLeave";
constexpr const char16_t* kKickNotAllowedText = u"You do not have permission to kick that person.";

constexpr bool kInviteSoundFlag = true;

const std::vector<PlayerNetBasicInfo>* Roster()
{
    const PlayerManagerClient* players = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    return players ? &players->GetPlayerInfoCache() : nullptr;
}

// The ids of the records in a party, in roster order; none for party 0.
std::vector<uint32_t> Members(uint32_t party)
{
    std::vector<uint32_t> members;
    if (const std::vector<PlayerNetBasicInfo>* roster = Roster(); roster && party != 0)
        for (const PlayerNetBasicInfo& record : *roster)
            if (record.partyId == party)
                members.push_back(record.playerId);
    return members;
}

uint32_t OwnPlayerId()
{
    return gGameEngine ? gGameEngine->GetPlayerId() : 0;
}

}  // namespace

PartyManager::PartyManager()
    : m_inviteListener(kInviteToPartyEvent, &PartyManager::OnInviteToParty, this)
{
    if (SoundPak* sound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(kPartyInviteSoundRecord, 0, true))
        m_inviteSoundId = sound->GetObjectId();
}

PartyManager::~PartyManager()
{
    m_inviteListener.SetOwner(nullptr);
    if (SoundPak* sound = GetInviteSound())
        ObjectManager::Get().DestroyObjectEx(sound, "PartyManager", __LINE__);
}

SoundPak* PartyManager::GetInviteSound() const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_inviteSoundId);
}

// ---- Questions ------------------------------------------------------------------------

uint32_t PartyManager::GetParty(uint32_t player) const
{
    if (const std::vector<PlayerNetBasicInfo>* roster = Roster())
        for (const PlayerNetBasicInfo& record : *roster)
            if (record.playerId == player)
                return record.partyId;
    return 0;
}

bool PartyManager::AreInPartyTogether(uint32_t a, uint32_t b) const
{
    if (a == b)
        return true;
    const uint32_t party = GetParty(a);
    return party != 0 && party == GetParty(b);
}

int PartyManager::GetNumPlayersInParty(int party) const
{
    if (party == 0)
        return 1;
    return static_cast<int>(Members(static_cast<uint32_t>(party)).size());
}

int PartyManager::GetNumInPlayersParty(uint32_t player) const
{
    return GetNumPlayersInParty(static_cast<int>(GetParty(player)));
}

int PartyManager::GetNumPlayersInPartyNear(int party, const WorldVec3& where, float radius) const
{
    if (party == 0)
        return 1;
    const std::vector<PlayerNetBasicInfo>* roster = Roster();
    if (!roster)
        return 0;
    return static_cast<int>(std::count_if(roster->begin(), roster->end(), [&](const PlayerNetBasicInfo& record) {
        return record.partyId == static_cast<uint32_t>(party) && WorldDistance(record.position, where) <= radius;
    }));
}

void PartyManager::GetPlayersInParty(int party, std::vector<uint32_t>& out) const
{
    if (party == 0) {
        out.clear();
        return;
    }
    const std::vector<uint32_t> members = Members(static_cast<uint32_t>(party));
    out.insert(out.end(), members.begin(), members.end());
}

void PartyManager::GetPartyMembers(uint32_t player, std::vector<uint32_t>& out) const
{
    out.clear();
    const uint32_t party = GetParty(player);
    if (party == 0)
        out.push_back(player);
    else
        GetPlayersInParty(static_cast<int>(party), out);
}

uint32_t PartyManager::GetPlayerFaction(uint32_t player) const
{
    const uint32_t party = GetParty(player);
    return party != 0 ? party : player;
}

float PartyManager::GetPartyExperienceMultiplier(uint32_t player, uint32_t source) const
{
    if (!gGameEngine)
        return 0.0f;
    std::vector<uint32_t> members;
    GetPartyMembers(player, members);
    float sum = 0.0f;
    for (uint32_t member : members)
        sum += gGameEngine->GetPlayerDamagePercent(member, source);
    return sum;
}

// ---- Invitations ----------------------------------------------------------------------

void PartyManager::HandlePartyInvite(uint32_t player, int inviter)
{
    if (!gGameEngine || player != OwnPlayerId() || !gGameEngine->GetMainPlayer() || GetParty(player) != 0)
        return;
    GameEvent_InviteToParty event;
    event.inviterId = static_cast<uint32_t>(inviter);
    EventManager::Get().Send(event, kInviteToPartyEvent);
}

void PartyManager::OnInviteToParty(const GameEvent_InviteToParty& event)
{
    if (!m_dialogOpen) {
        ShowInvitation(event);
        return;
    }
    const bool known = m_currentInvitation.inviterId == event.inviterId ||
                       std::any_of(m_pendingInvitations.begin(), m_pendingInvitations.end(),
                                   [&event](const GameEvent_InviteToParty& waiting) {
                                       return waiting.inviterId == event.inviterId;
                                   });
    if (known)
        return;
    if (m_pendingInvitations.size() >= kMaxPendingInvitations) {
        gEngine->Log(LOG_WARNING, "PartyManager: invitation from %u dropped: %zu invitations are waiting",
                     event.inviterId, m_pendingInvitations.size());
        return;
    }
    m_pendingInvitations.push_back(event);
}

void PartyManager::ShowInvitation(const GameEvent_InviteToParty& invitation)
{
    if (!gGameEngine)
        return;
    m_dialogOpen = true;
    const PlayerManagerClient* players = gGameEngine->GetPlayerManagerClient();
    const std::u16string name = players ? players->GetPlayerName(invitation.inviterId) : std::u16string();
    const std::u16string text = LocalizationManager::Instance().Format(kInviteMessageTag, name);
    gGameEngine->GetDialogManager().AddDialog(kDialogTypeYesNo, false, DialogParty::kPartyInvite, text, true, true);
    if (SoundPak* sound = GetInviteSound())
        sound->Play(kInviteSoundFlag);
    m_currentInvitation = invitation;
}

void PartyManager::Update()
{
    if (!gGameEngine || !m_dialogOpen)
        return;
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    if (dialogs.GetNumResponsesFor(DialogParty::kPartyInvite) <= 0)
        return;
    const YesNoResponse response = dialogs.GetResponseFor(DialogParty::kPartyInvite);
    m_dialogOpen = false;
    const uint32_t self = OwnPlayerId();
    const uint32_t inviter = m_currentInvitation.inviterId;
    gGameEngine->SendPartyRequestResponse(self, inviter, response.answer);

    if (response.answer) {
        // The inviter leads the party named after it.
        gGameEngine->AddPlayerToParty(self, static_cast<int>(inviter));
        gGameEngine->AddPlayerToParty(inviter, static_cast<int>(inviter));
        MessagePlayerJoin(inviter, self);
        m_pendingInvitations.clear();
        return;
    }
    gGameEngine->DisplayMessageRemote(inviter, self, true, kDenyMessageTag);
    if (!m_pendingInvitations.empty()) {
        const GameEvent_InviteToParty next = m_pendingInvitations.front();
        m_pendingInvitations.erase(m_pendingInvitations.begin());
        ShowInvitation(next);
    }
}

// ---- Leaders and members ----------------------------------------------------------------

void PartyManager::CleanUpForPlayerLeave(uint32_t leaver)
{
    std::erase_if(m_seenInvitations, [leaver](const SeenInvitation& seen) {
        return seen.invitee == leaver || seen.inviter == leaver;
    });
    ReassignParty(leaver);
}

void PartyManager::ReassignRemainingParty()
{
    ReassignParty(OwnPlayerId());
}

// The leader may still have its record in the roster with the old party (a player who
// left is removed from the client's roster only later), so it is left out: the members
// who remain choose the new leader and make the count, and a single one left is on its
// own.
void PartyManager::ReassignParty(uint32_t leader)
{
    if (!gGameEngine || leader == 0)
        return;
    std::vector<uint32_t> remaining = Members(leader);
    remaining.erase(std::remove(remaining.begin(), remaining.end(), leader), remaining.end());
    if (remaining.empty())
        return;
    const uint32_t newParty = remaining.size() >= 2 ? remaining.front() : 0;
    for (uint32_t member : remaining)
        gGameEngine->AddPlayerToParty(member, static_cast<int>(newParty));
}

void PartyManager::AttemptToKickFromLocalParty(uint32_t player)
{
    if (!gGameEngine)
        return;
    const uint32_t self = OwnPlayerId();
    const uint32_t party = GetParty(player);
    if (party == 0 || party != self || player == self) {
        gGameEngine->AddUINotification(UINotificationType_PlayerMessage, kKickNotAllowedText, false);
        return;
    }
    MessagePlayerLeaving(party, player);
    if (GetNumInPlayersParty(self) == 2)
        gGameEngine->AddPlayerToParty(self, 0);
    gGameEngine->AddPlayerToParty(player, 0);
}

bool PartyManager::MayChangeParty(uint32_t changer, uint32_t player, uint32_t party) const
{
    const PlayerManagerClient* players = gGameEngine ? gGameEngine->GetPlayerManagerClient() : nullptr;
    if (!players || !players->IsPlayerInList(changer) || !players->IsPlayerInList(player))
        return false;
    if (player == changer)
        return party == 0 || (players->IsPlayerInList(party) && WasInvited(player, party));
    if (GetParty(player) == changer && (party == 0 || GetParty(party) == changer))
        return true;
    return party == player && GetParty(changer) == player;
}

void PartyManager::NoteInvitation(uint32_t invitee, uint32_t inviter)
{
    if (invitee == 0 || inviter == 0 || WasInvited(invitee, inviter))
        return;
    if (m_seenInvitations.size() >= kMaxSeenInvitations)
        m_seenInvitations.erase(m_seenInvitations.begin());
    m_seenInvitations.push_back({invitee, inviter});
}

bool PartyManager::WasInvited(uint32_t invitee, uint32_t inviter) const
{
    return std::any_of(m_seenInvitations.begin(), m_seenInvitations.end(), [=](const SeenInvitation& seen) {
        return seen.invitee == invitee && seen.inviter == inviter;
    });
}

void PartyManager::ForgetInvitationsTo(uint32_t invitee)
{
    std::erase_if(m_seenInvitations, [invitee](const SeenInvitation& seen) { return seen.invitee == invitee; });
}

void PartyManager::MessagePlayerJoin(uint32_t party, uint32_t player)
{
    MessageMembers(party, player, kJoinMessageTag);
}

void PartyManager::MessagePlayerInvited(uint32_t party, uint32_t player)
{
    MessageMembers(party, player, kInvitedMessageTag);
}

void PartyManager::MessagePlayerLeaving(uint32_t party, uint32_t player)
{
    MessageMembers(party, player, kLeaveMessageTag);
}

void PartyManager::MessageMembers(uint32_t party, uint32_t player, const char* textTag)
{
    if (!gGameEngine)
        return;
    for (uint32_t member : Members(party))
        if (member != player)
            gGameEngine->DisplayMessageRemote(member, player, true, textTag);
}

}  // namespace GAME
