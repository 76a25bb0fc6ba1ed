#pragma once

#include "src/api/requests/BaseDataRequest.h"
#include "src/api/requests/ReplyReader.h"

// The result steps of the endpoint table: what each request class makes of a parsed reply after
// the inherited step. Each checks its own gate first (unless said otherwise: the base result is
// a success and "err" is "hapn.ok"); when the gate is not met the reply stays as it came.
namespace api::result_steps {

// Nothing after the inherited step: the caller reads the reply itself.
inline void inheritedOnly(BaseDataRequest&) {}

// --- Module "play" ---
// The play pattern: a programme with its user and songs under "program".
void playPattern(BaseDataRequest& request);
// {"KEY_ARRAY": songs of data["songs"]}.
void songsOfCollection(BaseDataRequest& request);
// The listening history from the server: it replaces the local one.
void listenHistory(BaseDataRequest& request);
// "ads" and "perCount" of the advert plan.
void adPlan(BaseDataRequest& request);

// --- Module "radio" ---
// The channels on air by day and slot: cached whole, the requested slot under "KEY_ARRAY".
void nowChannels(BaseDataRequest& request);
// {"KEY_ARRAY": radios}, cached.
void radios(BaseDataRequest& request);
// "radioArray" with channels and "pics" (the channels' picture URLs), cached.
void allChannels(BaseDataRequest& request);
// "KEY_ARRAY" = the channels that data lists.
void radioChannels(BaseDataRequest& request);
// The list pattern: {"KEY_ARRAY": programmes, "KEY_TOTAL": data["total"]}.
void listPattern(BaseDataRequest& request);
// {"KEY_ARRAY": songs of data["lists"]}.
void programSongs(BaseDataRequest& request);
// "total", "KEY_ARRAY" and "KEY_TOTAL" of the user's own programmes.
void myPrograms(BaseDataRequest& request);
// "total", "KEY_TOTAL" and "programsArray" (programmes without channels).
void myProgramsByGroup(BaseDataRequest& request);
// "programId" = data.
void dataAsProgramId(BaseDataRequest& request);
// "program" = the edited programme with its channels and user.
void editedProgram(BaseDataRequest& request);
// "ok" = "ok"; "err" stays as the server sent it.
void okFlag(BaseDataRequest& request);
// "program" = the programme with songs, channels, user, pictures and cover.
void programDetail(BaseDataRequest& request);
// "programId" and "recommend".
void recommendation(BaseDataRequest& request);
// "auditLogsArray" and "total"; the gate is the base result only.
void auditLogs(BaseDataRequest& request);

// --- Modules "item" and "search" ---
// "artist"; the gate is the base result and a non-empty data.
void artist(BaseDataRequest& request);
// "KEY_ARRAY" = the songs of the album.
void salbumSongs(BaseDataRequest& request);
// {"KEY_ARRAY": albums}; the gate is the base result and a "lists" array.
void salbumsOfLists(BaseDataRequest& request);
// "KEY_ARRAY" = the album with its pictures and songs.
void salbumDetail(BaseDataRequest& request);
// "KEY_ARRAY" and "KEY_TOTAL" of new or genre albums.
void addedSAlbums(BaseDataRequest& request);
// "genres"; the gate is the base result only.
void genres(BaseDataRequest& request);
// {"KEY_ARRAY": songs, programmes, albums and artists by "_type"}.
void searchAll(BaseDataRequest& request);
// "dic" = data.
void dataAsDic(BaseDataRequest& request);

// --- Modules "user" and "photo" ---
// "user" and "luid" of a login; data must hold both.
void login(BaseDataRequest& request);
// "user" and "luid" of a social-network login.
void loginThird(BaseDataRequest& request);
// "user" = the user that data describes.
void userDetail(BaseDataRequest& request);
// "loginUrl" = data.
void dataAsLoginUrl(BaseDataRequest& request);
// The list pattern with channels always set, added to the reply.
void collectedPrograms(BaseDataRequest& request);
// "thirdAccounts"; the gate is "err" only.
void thirdAccounts(BaseDataRequest& request);
// {"KEY_ARRAY": photo albums with their users, "KEY_TOTAL"}.
void userPhotoAlbums(BaseDataRequest& request);
// "pAlbumId" = data as text.
void dataAsPAlbumId(BaseDataRequest& request);
// "err" = "ok" on success.
void errAsOk(BaseDataRequest& request);

// --- Modules "other" and "call" ---
// "KEY_ARRAY" = the recommended applications.
void friendApps(BaseDataRequest& request);
// "version" = the version model of data["version"].
void version(BaseDataRequest& request);
// "location" = the weather location of data.
void location(BaseDataRequest& request);
// The user's home page batch: photo albums, own programmes, collected programmes.
void userHomePage(BaseDataRequest& request);
// The artist's page batch: albums and songs with their totals.
void salbumsAndSongs(BaseDataRequest& request);
// "songArr" = the songs data lists.
void moreSongs(BaseDataRequest& request);

// {"KEY_ARRAY": models of data["lists"], "KEY_TOTAL": data["total"]} as a new result.
template <class Model>
void modelListWithTotal(BaseDataRequest& request) {
  if (!request.succeeded()) return;
  const foundation::Value& data = request.resultDic()["data"];
  foundation::Dictionary result{{kKeyArray, ReplyReader::modelValuesOf<Model>(data["lists"])}};
  if (const foundation::Value& total = data["total"]; !total.isNull()) result.set(kKeyTotal, total);
  request.setResultDic(std::move(result));
}

}  // namespace api::result_steps
