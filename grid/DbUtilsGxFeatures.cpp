#include "grid/DbUtilsGxFeatures.h"

#include <vector>

#include "platform/rtl/CodePage.h"

namespace {

struct TFeatureRegistry {
    std::vector<TDatasetFeaturesGx*> Entries;  // in registration order
    ~TFeatureRegistry() {
        for (TDatasetFeaturesGx* entry : Entries) delete entry;
    }
};

TFeatureRegistry& Registry() {
    static TFeatureRegistry registry;
    return registry;
}

}  // namespace

bool TDatasetFeaturesGx::MoveRecords(TCustomDBGridGx*, TStrings*, int, int, bool) { return false; }
void TDatasetFeaturesGx::ApplySorting(TCustomDBGridGx*, TDataSet*, bool) {}
void TDatasetFeaturesGx::ApplyFilter(TCustomDBGridGx*, TDataSet*, bool) {}

int ClassDistance(const TClassInfo* DataSetClass, const AnsiString& ClassName) {
    const AnsiString wanted = AnsiUpperCase(ClassName);
    int distance = 0;
    for (const TClassInfo* c = DataSetClass; c; c = c->ClassParent(), ++distance)
        if (AnsiUpperCase(c->Name) == wanted) return distance;
    return INT_MAX;
}

void RegisterDatasetFeatures(const TClassInfo* DataSetClass, TDatasetFeaturesGx* Features) {
    Features->dataSetClass_ = DataSetClass;
    Registry().Entries.push_back(Features);
}

void UnregisterDatasetFeatures(TDatasetFeaturesGx* Features) {
    auto& entries = Registry().Entries;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (*it != Features) continue;
        entries.erase(it);
        delete Features;
        return;
    }
}

TDatasetFeaturesGx* FindDatasetFeaturesClass(const TClassInfo* DataSetClass) {
    TDatasetFeaturesGx* best = nullptr;
    int bestDistance = INT_MAX;
    for (TDatasetFeaturesGx* entry : Registry().Entries) {
        if (!entry->DataSetClass()) continue;
        int d = ClassDistance(DataSetClass, entry->DataSetClass()->Name);
        if (d < bestDistance) {
            best = entry;
            bestDistance = d;
        }
    }
    return best;
}

TDatasetFeaturesGx* GetDatasetFeaturesForDataSet(TDataSet* DataSet) {
    if (!DataSet) return nullptr;
    if (TDatasetFeaturesGx* found = FindDatasetFeaturesClass(ClassInfoOf(DataSet))) return found;
    // A class without type information of its own (a program's own data set)
    // answers for its nearest registered ancestor; the most derived entry
    // whose class the object is an instance of serves it.
    TDatasetFeaturesGx* best = nullptr;
    for (TDatasetFeaturesGx* entry : Registry().Entries) {
        const TClassInfo* c = entry->DataSetClass();
        if (!c || !InheritsFrom(DataSet, c)) continue;
        if (!best || (c != best->DataSetClass() && c->InheritsFrom(best->DataSetClass()))) best = entry;
    }
    return best;
}
