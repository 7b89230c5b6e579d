// The bulk-job service as the npm "soap" package serves it from our WSDL: a
// SOAP implementation nobody here wrote. Loopback only.
//
//   node soap_peer.js <soap module> <wsdl> <cert> <key> <folder>
//
// Listens on HTTPS (127.0.0.1 and ::1, one port), writes <folder>/peer.json
// ({"port": N}) once it listens, and each request's raw body to
// <folder>/requests/NNN-<operation>.xml. Every operation answers OK with the
// values the conformance client expects.
'use strict';

const fs = require('fs');
const https = require('https');
const path = require('path');

const [soapModule, wsdlPath, certPath, keyPath, folder] = process.argv.slice(2);
const soap = require(soapModule);
const wsdl = fs.readFileSync(wsdlPath, 'utf8');
const requests = path.join(folder, 'requests');
fs.mkdirSync(requests, { recursive: true });
let counter = 0;

const ok = { ErrorCode: 'OK' };
const operations = {
  CreateSMSTextBulkJob: () => ({ CreateSMSTextBulkJobResult: { BulkJobId: 'JOB-1', ErrorCode: 'OK' } }),
  AppendRecipients: () => ({ AppendRecipientsResult: ok }),
  SetBulkJobReady: () => ({ SetBulkJobReadyResult: ok }),
  PauseBulkJob: () => ({ PauseBulkJobResult: ok }),
  RestartBulkJob: () => ({ RestartBulkJobResult: ok }),
  AbortBulkJob: () => ({ AbortBulkJobResult: ok }),
  GetBulkJobStatus: () => ({
    GetBulkJobStatusResult: {
      StatusId: 'Pending', ScheduledDate: '2026-12-08T09:30:00Z', TotalRecipients: 2500,
      MsgProcessed: 10, MsgSent: 9, ErrorCode: 'OK',
    },
  }),
};
const services = { ZentavoBulkJob: { ZentavoBulkJobSoap: operations, ZentavoBulkJobSoap12: operations } };
const tls = { cert: fs.readFileSync(certPath), key: fs.readFileSync(keyPath) };

function serve(host, port, done) {
  const server = https.createServer(tls, (request, response) => {
    response.statusCode = 404;
    response.end();
  });
  server.on('error', done);
  server.listen(port, host, () => {
    const listener = soap.listen(server, {
      path: '/api/webservices/bulkjob.asmx', services, xml: wsdl, forceSoap12Headers: true,
    });
    listener.log = (type, data) => {
      if (type === 'received') {
        counter += 1;
        const operation = (/<[\w-]*:?Body>\s*<[\w-]+:(\w+)/.exec(data) || [null, 'unknown'])[1];
        const name = String(counter).padStart(3, '0') + '-' + operation + '.xml';
        fs.writeFileSync(path.join(requests, name), data);
      }
    };
    done(null, server.address().port);
  });
}

serve('127.0.0.1', 0, (error, port) => {
  if (error) throw error;
  // "localhost" may name ::1 first; serve there too when it can.
  serve('::1', port, () => {
    fs.writeFileSync(path.join(folder, 'peer.json'), JSON.stringify({ port }));
    console.log('listening ' + port);
  });
});
