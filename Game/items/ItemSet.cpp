#include "Game/items/ItemSet.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/StringUtil.h"

namespace GAME {

void ItemSet::LoadFromDatabase(const std::string& recordName)
{
    m_setNameTag.clear();
    m_setDescriptionTag.clear();
    m_members.clear();
    ObjectManager& objects = ObjectManager::Get();
    if (const LoadTable* table = objects.LoadTableFile(recordName)) {
        m_setNameTag = table->GetString("setName", "");
        m_setDescriptionTag = table->GetString("setDescription", "");
        std::vector<std::string> members;
        table->GetStringArray("setMembers", members);
        for (std::string& name : members) {
            if (name.empty())
                continue;
            Member member;
            CreateMemberDisplayName(name, member.displayName);
            NormalizePath(name);
            member.recordName = std::move(name);
            m_members.push_back(std::move(member));
        }
    } else {
        gEngine->Log(LOG_WARNING, "ItemSet: no record %s; the set stays empty", recordName.c_str());
    }
    AttributePak::LoadFromDatabase(recordName);
}

void ItemSet::GetUIDisplayText(const std::vector<std::string>& wornMembers, std::vector<GameTextLine>& lines) const
{
    lines.emplace_back(GameTextClass::ItemSetName, SimpleTagText(m_setNameTag), false);
    if (!m_setDescriptionTag.empty())
        lines.emplace_back(GameTextClass::ItemSetDescription, SimpleTagText(m_setDescriptionTag), true);
    // The bonus shows only when a member is worn: a worn list of names none of which is a
    // member (another set's, or spelt otherwise) grants nothing here.
    bool anyWorn = false;
    for (const Member& member : m_members) {
        const bool worn = std::find(wornMembers.begin(), wornMembers.end(), member.recordName) != wornMembers.end();
        anyWorn = anyWorn || worn;
        const GameTextClass textClass =
            worn ? GameTextClass::ItemSetComponentAvailable : GameTextClass::ItemSetComponentNotAvailable;
        lines.emplace_back(textClass, member.displayName, false);
    }
    if (anyWorn)
        GetUIDisplayText(static_cast<unsigned>(wornMembers.size()), GameTextClass::ItemSetBonuses, lines);
}

void ItemSet::CreateMemberDisplayName(const std::string& memberRecordName, std::u16string& out) const
{
    const std::string tag = ObjectManager::Get().GetRecordOrEmpty(memberRecordName).GetString("itemNameTag", "");
    out = tag.empty() ? std::u16string() : SimpleTagText(tag);
}

}  // namespace GAME
