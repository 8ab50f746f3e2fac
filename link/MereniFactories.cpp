#include "link/MereniController.h"
#include "link/MereniVK.h"
#include "link/MereniVKT.h"
#include "link/Pristroj.h"

namespace {

template <class Thread>
void Register(int type)
{
    CPristroj::RegisterThreadFactory(type, [] { return std::unique_ptr<CPristrojThread>(new Thread()); });
}

} // namespace

void CMereni::RegisterFactories()
{
    Register<CQorinMereni>(CPristroj::kQorin);
    Register<CVKMereni>(CPristroj::kVK);
    Register<CVKRMereni>(CPristroj::kVKR);
    Register<CVKTMereni>(CPristroj::kVKT);
    Register<CDuskarMereni>(CPristroj::kDuskar);
}
