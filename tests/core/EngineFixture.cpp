#include "EngineFixture.h"

namespace GAME {

MockNetwork::MockNetwork() = default;
MockNetwork::~MockNetwork() = default;

PortalAndMessageRecorder::PortalAndMessageRecorder() = default;
PortalAndMessageRecorder::~PortalAndMessageRecorder() = default;

RecordingNetwork::RecordingNetwork() = default;
RecordingNetwork::~RecordingNetwork() = default;
NiceNetwork::NiceNetwork() = default;
NiceNetwork::~NiceNetwork() = default;
StrictNetwork::StrictNetwork() = default;
StrictNetwork::~StrictNetwork() = default;

}  // namespace GAME

#define GAME_MOCK_NETWORK_INSTANCE(F)                       \
    template class ::testing::internal::FunctionMocker<F>; \
    template class ::testing::internal::TypedExpectation<F>;
GAME_MOCK_NETWORK_SIGNATURES(GAME_MOCK_NETWORK_INSTANCE)
