#include "link/MereniController.h"
#include "link/MereniVK.h"
#include "link/MereniVKT.h"
#include "link/Pristroj.h"

namespace {

template <class Thread>
void Register(CLinkEnvironment& env, int type)
{
    env.RegisterThreadFactory(type, [](std::shared_ptr<CLinkEnvironment> shared) {
        return std::unique_ptr<CPristrojThread>(new Thread(std::move(shared)));
    });
}

} // namespace

void CMereni::RegisterFactories(CLinkEnvironment& env)
{
    Register<CQorinMereni>(env, CPristroj::kQorin);
    Register<CVKMereni>(env, CPristroj::kVK);
    Register<CVKRMereni>(env, CPristroj::kVKR);
    Register<CVKTMereni>(env, CPristroj::kVKT);
    Register<CDuskarMereni>(env, CPristroj::kDuskar);
}
