#include "data/uDeleteMasterRecord.h"

#include "platform/classes/Strings.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Resources.h"

TESK_PUBLISHED(TfmMasterDelete) {
    Field("Label1", &T::Label1);
    Field("lstMasters", &T::lstMasters);
    Field("btnCancel", &T::btnCancel);
    Field("btnDelete", &T::btnDelete);
    Field("btnRedirect", &T::btnRedirect);
    Field("alMasterDelete", &T::alMasterDelete);
    Field("actCancel", &T::actCancel);
    Field("actDeleteChildren", &T::actDeleteChildren);
    Field("actRedirectChildren", &T::actRedirectChildren);
    Handler("actCancelExecute", &T::actCancelExecute);
    Handler("actDeleteChildrenExecute", &T::actDeleteChildrenExecute);
    Handler("actRedirectChildrenExecute", &T::actRedirectChildrenExecute);
    Handler("actRedirectChildrenUpdate", &T::actRedirectChildrenUpdate);
}

TfmMasterDelete::TfmMasterDelete(TComponent* AOwner) : TForm(AOwner) { ReadComponentResource(this); }

void TfmMasterDelete::actCancelExecute(TObject*) { SetModalResult(mrCancel); }

void TfmMasterDelete::actDeleteChildrenExecute(TObject*) { SetModalResult(mrOk); }

void TfmMasterDelete::actRedirectChildrenExecute(TObject*) {
    TargetID = MasterIDOf(lstMasters->Items()->Objects(lstMasters->ItemIndex()));
    SetModalResult(mrOk);
}

void TfmMasterDelete::actRedirectChildrenUpdate(TObject*) {
    // Without a selected entry there is no one to redirect to.
    actRedirectChildren->SetEnabled(lstMasters->ItemIndex() >= 0);
}

namespace {

// The guards' view of the form.
class TMasterDeleteForm : public IMasterDeleteDialog {
public:
    TMasterDeleteForm() : form_(CreateForm<TfmMasterDelete>(nullptr)) {}
    ~TMasterDeleteForm() override { FreeObject(form_); }
    int TargetID() const override { return form_->TargetID; }
    void SetTargetID(int Value) override { form_->TargetID = Value; }
    void SetPrompt(const AnsiString& Text) override { form_->Label1->SetCaption(Text); }
    TStrings* Masters() override { return form_->lstMasters->Items(); }
    void SetItemIndex(int Index) override { form_->lstMasters->SetItemIndex(Index); }
    int ShowModal() override { return form_->ShowModal(); }

private:
    TfmMasterDelete* form_;
};

TMasterDeleteDialogFactory& Factory() {
    static TMasterDeleteDialogFactory factory;
    return factory;
}

}  // namespace

std::unique_ptr<IMasterDeleteDialog> NewMasterDeleteDialog() {
    if (Factory()) return Factory()();
    return std::make_unique<TMasterDeleteForm>();
}

void SetMasterDeleteDialogFactory(TMasterDeleteDialogFactory Factory_) { Factory() = std::move(Factory_); }
