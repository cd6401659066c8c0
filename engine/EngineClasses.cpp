#include "EngineClasses.h"

#include "Cabinet.h"
#include "Description.h"
#include "ZipArch.h"

void RegisterEngineClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  static const TClassInfo handler("TStreamCabinetFileHandler", &ComponentClassInfo(),
                                  Creator<TStreamCabinetFileHandler>());
  static const TClassInfo writer = [] {
    TClassInfo i("TCabinetWriter", &ComponentClassInfo(), Creator<TCabinetWriter>());
    i.Ref("FileHandler", &TCabinetWriter::SetFileHandler);
    i.Prop("FailOnIncompressible", &TCabinetWriter::FailOnIncompressible);
    i.Prop("FileSupport", &TCabinetWriter::FileSupport);
    return i;
  }();
  static const TClassInfo zip = [] {
    TClassInfo i("TZipArchiver", &ComponentClassInfo(), Creator<TZipArchiver>());
    i.Prop("Verbose", &TZipArchiver::Verbose);
    i.Prop("Trace", &TZipArchiver::Trace);
    i.Prop("AddCompLevel", &TZipArchiver::AddCompLevel);
    i.Prop("Unattended", &TZipArchiver::Unattended);
    i.Prop("SFXCaption", &TZipArchiver::SFXCaption);
    i.Event("OnProgress", &TZipArchiver::OnProgress);
    i.Event("OnMessage", &TZipArchiver::OnMessage);
    return i;
  }();
  RegisterClass(handler);
  RegisterClass(writer);
  RegisterClass(zip);
}
