#include "Game/core/foundation/RecordKept.h"

#include "Engine/LoadTable.h"

namespace GAME {

bool IsRecordKept(const LoadTable& record) { return RecordDatabase::Get().Find(record.GetName()) == &record; }

uint64_t GetRecordGeneration() { return RecordDatabase::Get().GetGeneration(); }

}  // namespace GAME
