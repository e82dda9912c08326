#pragma once
// TBrokers: the document form's gateway to the host. So far it holds the start
// values and the host's automation object that the controller and the form's
// start-up hand it; the services and messages come with the rest of the broker.
#include "classlib/objects/component.h"
#include "classlib/rtl/variants.h"

class TBrokers : public TComponent {
    KVR_CLASS(TBrokers, TComponent)
public:
    explicit TBrokers(TComponent* owner);
    ~TBrokers() override;

    AnsiString ProgramID;
    AnsiString UserID;
    AnsiString Group;
    AnsiString CompanyID;
    AnsiString Database;
    AnsiString ProgramName;
    Variant HostApp;

    const AnsiString& GetProgramName() const { return ProgramName; }
};
